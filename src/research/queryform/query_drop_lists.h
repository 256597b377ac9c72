#pragma once
// The query form's three drop lists: the stores a query may use, the catalogs of its store that
// carry a search index, and the brands. Each list holds its rows' ids beside the names it shows
// and knows the row of an id.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/window/window.h"

namespace zem::research {

struct DropChoice {
    std::string name;
    std::int32_t id = 0;
};

// Sites by name: the active stores and the store currentSite even when it is inactive.
std::vector<DropChoice> SiteChoices(std::int32_t currentSite);
// Catalogs by name: those of the store (CAT:FLAGS) whose search index is not empty.
std::vector<DropChoice> CatalogChoices(std::int32_t site);
// Brands by name.
std::vector<DropChoice> BrandChoices();

// A drop list over choices. With default fill on, a value that no row holds is replaced by the
// first row's id.
class DropList {
  public:
    DropList(ui::Window& window, bool defaultFill) : window_(window), defaultFill_(defaultFill) {}

    void SetControl(int feq) { feq_ = feq; }
    int Control() const { return feq_; }

    // Shows the choices, applies the default fill to value and highlights its row.
    void Show(std::vector<DropChoice> choices, std::int32_t& value);
    // Highlights the row of value; none when no row holds it.
    void Highlight(std::int32_t value);
    // The id of the row the user chose; nullopt for no row.
    std::optional<std::int32_t> Chosen() const;

  private:
    int RowOf(std::int32_t value) const;

    ui::Window& window_;
    bool defaultFill_;
    int feq_ = 0;
    std::vector<std::int32_t> ids_;
};

}  // namespace zem::research
