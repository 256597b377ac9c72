#pragma once
// A fresh data file, set up as the program sets it up, with this thread's dictionary over it and
// every message caught by a recording sink.
#include <gtest/gtest.h>

#include <iconv.h>

#include <memory>
#include <string>
#include <string_view>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/recording_sink.h"
#include "support/temp_dir.h"

namespace zem::test {

class DataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::ErrorManager::Global().Init();
        ui::ErrorManager::Global().SetSink(sink);
        store::OpenStatus status;
        ASSERT_TRUE(data::OpenZembrolaFile(dir / "zembrola.cfg", status)) << status.text;
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
    }
    void TearDown() override {
        data::KillDictionary();
        data::CloseZembrolaFile();
        ui::ErrorManager::Global().SetSink(nullptr);
    }

    static data::Dictionary& D() { return data::Dict(); }
    static data::TableManager& M(data::TableId id) { return data::Access(id); }

    // Adds a row primed with the table's defaults after fill has set its fields.
    template <typename Fill>
    static ui::Level Add(data::TableId id, Fill fill) {
        if (const ui::Level level = M(id).PrimeRecord(); level != ui::Benign) return level;
        fill();
        return M(id).Insert();
    }

    // Rows of a table, counted through a fresh walk of its first key.
    static int Count(data::TableId id) {
        store::Table& table = M(id).File();
        EXPECT_EQ(M(id).UseFile(), ui::Benign);
        EXPECT_EQ(table.Set(0), store::NoError);
        int rows = 0;
        while (M(id).TryNext() == ui::Benign) ++rows;
        return rows;
    }

    std::string LastText() const {
        const auto last = sink->Last();
        return last ? last->text : std::string();
    }

    TempDir dir;
    std::shared_ptr<ui::RecordingSink> sink = std::make_shared<ui::RecordingSink>();
};

// Code page 1251 text as UTF-8, so tests can state Cyrillic texts readably.
inline std::string Utf8FromCp1251(std::string_view text) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no cp1251 converter>";
    std::string in(text);
    std::string out(text.size() * 3 + 1, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return "<not cp1251>";
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace zem::test
