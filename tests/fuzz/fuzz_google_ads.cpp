// Feeds arbitrary bytes as a result page through the parser into the result-page handler. The
// first byte picks the query's store (or none); the page's Goods row lives in a data file made
// once per process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/message_sink.h"
#include "support/temp_dir.h"
#include "web/google_ads_handler.h"
#include "web/html_parser.h"

namespace {

using namespace zem;

class QuietSink : public ui::MessageSink {
  public:
    unsigned Show(const ui::MessageRequest& request) override { return request.defaultButton; }
};

constexpr std::uint8_t kSites[] = {0, 1, 2, 4, 8, 16, 32};
std::int32_t g_rowId = 0;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static test::TempDir dir;
    ui::ErrorManager::Global().SetSink(std::make_shared<QuietSink>());
    store::OpenStatus status;
    if (!data::OpenZembrolaFile(dir / "zembrola.cfg", status)) std::abort();
    if (!data::InitDictionary(data::ZembrolaFile())) std::abort();
    data::TableManager& goods = data::Access(data::TableId::Goods);
    if (goods.PrimeRecord() != ui::Benign) std::abort();
    data::SetCString(data::Dict().GOO.ASIN, "B000000001");
    if (goods.Insert() != ui::Benign) std::abort();
    g_rowId = data::Dict().GOO.ID;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    data::Dictionary& d = data::Dict();
    d.QUE.SITE = kSites[bytes[0] % std::size(kSites)];
    d.GOO.ID = g_rowId;
    if (data::Access(data::TableId::Goods).TryFetch(data::GOO_KeyId) != ui::Benign) std::abort();

    std::vector<char> text(bytes + 1, bytes + size);
    text.push_back('\0');
    web::GoogleAdsHandler handler;
    handler.Reset();
    HTML::Parser parser;
    parser.SetHandler(&handler);
    parser.Parse(text);

    // The row was loaded, so writing it back can't fail.
    if (handler.M_ERRORCODE != 0 || d.GOO.ADS < 0) __builtin_trap();
    return 0;
}
