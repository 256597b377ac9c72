#include "shell/japanese_mode.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "data/dictionary.h"
#include "platform/store/connection.h"
#include "platform/store/errors.h"
#include "shell_fixture.h"

#include <thread>

namespace zem::test {
namespace {

using data::TableId;

// Gives each seeded store the active switch of the map; stores not named become inactive.
void SetActive(const std::map<std::int32_t, std::uint8_t>& active) {
    data::TableManager& sites = data::Access(TableId::Sites);
    ASSERT_EQ(sites.Open(), ui::Benign);
    for (const std::int32_t id : {1, 2, 4, 8, 16, 32}) {
        data::Dict().SIT.ID = id;
        ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign) << id;
        const auto it = active.find(id);
        data::Dict().SIT.ISACTIVE = it == active.end() ? 0 : it->second;
        ASSERT_EQ(sites.Update(), ui::Benign) << id;
    }
    sites.Close();
}

class JapaneseModeTest : public ShellTest {};

TEST_F(JapaneseModeTest, ASeededFileIsNotJapanese) {
    EXPECT_EQ(shell::GetJPMode(), 0);
    EXPECT_EQ(shell::CheckLocalization(), 0);  // Amazon US is active
}

TEST_F(JapaneseModeTest, WithoutAJapanRowTheModeIsOff) {
    SetActive({{16, 1}});
    ASSERT_EQ(shell::GetJPMode(), 128);  // leaves the active Japan row in the buffer
    data::TableManager& sites = data::Access(TableId::Sites);
    ASSERT_EQ(sites.Open(), ui::Benign);
    data::Dict().SIT.ID = 16;
    ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
    ASSERT_EQ(sites.File().Delete(), store::NoError);
    sites.Close();

    EXPECT_EQ(shell::GetJPMode(), 0);
    EXPECT_EQ(data::Dict().ASI.ISACTIVE, 0) << "the missed fetch left the old row behind";
    EXPECT_EQ(shell::CheckLocalization(), 1);
    EXPECT_EQ(sink->Count(), 0u);
}

// Stores that can't be read give the defaults and no message: a thread whose connection finds
// the Sites table changed by another program can't open it.
TEST_F(JapaneseModeTest, UnreadableStoresAnswerTheDefaultsSilently) {
    SetActive({{16, 1}});
    ASSERT_EQ(data::ZembrolaFile()->ThreadConnection()->Exec(
                  "ALTER TABLE \"Sites\" ADD COLUMN zem_foreign INTEGER"),
              store::NoError);
    std::uint8_t mode = 99, localized = 99;
    std::thread([&] {
        if (data::InitDictionary(data::ZembrolaFile())) {
            mode = shell::GetJPMode();
            localized = shell::CheckLocalization();
            data::KillDictionary();
        }
        data::ZembrolaFile()->ReleaseThreadConnection();
    }).join();
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(localized, 1);
    EXPECT_EQ(sink->Count(), 0u) << LastText();
}

struct Activation {
    const char* name;
    std::map<std::int32_t, std::uint8_t> active;
    std::uint8_t jpMode;
    std::uint8_t localized;  // CheckLocalization
    friend void PrintTo(const Activation& c, std::ostream* out) { *out << c.name; }
};

class ActivationTest : public ShellTest, public ::testing::WithParamInterface<Activation> {};

TEST_P(ActivationTest, ModeAndLocalizationFollowTheActiveStores) {
    SetActive(GetParam().active);
    EXPECT_EQ(shell::GetJPMode(), GetParam().jpMode);
    EXPECT_EQ(shell::CheckLocalization(), GetParam().localized);
}

INSTANTIATE_TEST_SUITE_P(Stores, ActivationTest,
                         ::testing::Values(Activation{"NoneActive", {}, 0, 1},
                                           Activation{"OnlyJapan", {{16, 1}}, 128, 1},
                                           Activation{"JapanWithAnySwitchValue", {{16, 2}}, 128, 1},
                                           Activation{"JapanAndUS", {{16, 1}, {1, 1}}, 128, 0},
                                           Activation{
                                               "JapanAndTheLastStore", {{16, 1}, {32, 1}}, 128, 0},
                                           Activation{"OnlyUK", {{2, 1}}, 0, 0}),
                         [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace zem::test
