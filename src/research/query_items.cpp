#include "research/query_items.h"

#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/ui/error_manager.h"

namespace zem::research {

double ShownSaving(double listPrice, double amazonPrice) {
    if (listPrice == 0) return 0;
    return (listPrice - amazonPrice) / listPrice * 100;
}

double KeptSaving(double listPrice, double amazonPrice) {
    if (listPrice == 0) return 100;
    return (listPrice - amazonPrice) / listPrice * 100;
}

int DeleteQueryItems(std::int32_t query,
                     const std::function<bool(const data::GoodsRecord&)>& remove,
                     const std::function<void()>& after) {
    data::TableManager& goods = data::Access(data::TableId::Goods);
    if (goods.UseFile() != ui::Benign) return 0;
    data::GoodsRecord& row = data::Dict().GOO;
    store::Table& file = goods.File();
    file.ClearBuffer();
    row.QUERY = query;
    if (file.SetAt(data::GOO_KeyQuery) != store::NoError) return 0;
    int deleted = 0;
    // The cursor reads on from the deleted row's place, so no row is skipped.
    while (goods.TryNext() == ui::Benign && row.QUERY == query) {
        if (!remove || remove(row)) {
            if (file.Delete() != store::NoError) {
                ui::ErrorManager::Global().SetErrors();
                ui::ErrorManager::Global().ThrowFile(ui::msg::DeleteFailed, "Goods");
                break;
            }
            ++deleted;
        }
        if (after) after();
    }
    file.ClearBuffer();
    return deleted;
}

}  // namespace zem::research
