// Feeds arbitrary bytes as an ItemSearch reply through the parser into the item-search handler,
// over a data file made once per process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/message_sink.h"
#include "support/temp_dir.h"
#include "web/html_parser.h"
#include "web/item_search_handler.h"

namespace {

using namespace zem;

class QuietSink : public ui::MessageSink {
  public:
    unsigned Show(const ui::MessageRequest& request) override { return request.defaultButton; }
};

// Keeps the file small, so every run costs about the same.
void EmptyEvery(int runs, data::TableId id) {
    static int count = 0;
    if (++count % runs != 0) return;
    data::TableManager& table = data::Access(id);
    if (table.UseFile() == ui::Benign) table.File().Empty();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static test::TempDir dir;
    ui::ErrorManager::Global().SetSink(std::make_shared<QuietSink>());
    store::OpenStatus status;
    if (!data::OpenZembrolaFile(dir / "zembrola.cfg", status)) std::abort();
    if (!data::InitDictionary(data::ZembrolaFile())) std::abort();
    data::Dict().QUE.ID = 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::vector<char> text(bytes, bytes + size);
    text.push_back('\0');

    web::ItemSearchHandler handler;
    handler.Reset();
    HTML::Parser parser;
    parser.SetHandler(&handler);
    parser.Parse(text);

    if (handler.PARSEDITEMS < 0 || (handler.M_ERRORCODE != 0 && handler.M_ERRORCODE != -1))
        __builtin_trap();
    EmptyEvery(256, data::TableId::Goods);
    EmptyEvery(256, data::TableId::Brands);
    return 0;
}
