#include "research/queryform/query_items.h"

#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/ui/errors/error_manager.h"

namespace zem::research {

double ShownSaving(double listPrice, double amazonPrice) {
    if (listPrice == 0) return 0;
    return (listPrice - amazonPrice) / listPrice * 100;
}

double KeptSaving(double listPrice, double amazonPrice) {
    if (listPrice == 0) return 100;
    return (listPrice - amazonPrice) / listPrice * 100;
}

bool DeleteQueryItems(std::int32_t query,
                      const std::function<bool(const data::GoodsRecord&)>& remove,
                      const std::function<void()>& after) {
    data::TableManager& goods = data::Access(data::TableId::Goods);
    if (goods.UseFile() != ui::Benign) return false;
    data::GoodsRecord& row = data::Dict().GOO;
    store::Table& file = goods.File();
    file.ClearBuffer();
    row.QUERY = query;
    if (file.SetAt(data::GOO_KeyQuery) != store::NoError) return false;
    bool deleted = true;
    // The cursor reads on from the deleted row's place, so no row is skipped.
    while (goods.TryNext() == ui::Benign && row.QUERY == query) {
        if (!remove || remove(row)) {
            if (file.Delete() != store::NoError) {
                ui::ErrorManager::Global().SetErrors();
                ui::ErrorManager::Global().ThrowFile(ui::msg::DeleteFailed, "Goods");
                deleted = false;
                break;
            }
        }
        if (after) after();
    }
    file.ClearBuffer();
    return deleted;
}

}  // namespace zem::research
