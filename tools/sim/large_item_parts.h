#pragma once
// The parts of an item that only the Large response group carries: image sets, editorial and
// customer reviews, similar products, accessories and browse nodes. They make a page of ten
// items 100 to 300 KB, as the service's Large pages were.
#include <string_view>

#include "item_catalog.h"
#include "markup_writer.h"
#include "web/stores.h"

namespace zem::sim {

// Larger than this, a reply no longer fits the program's page buffer.
inline constexpr std::size_t kProgramPageBuffer = 262'143;

void WriteImageSets(MarkupWriter& writer, const Item& item);
// Binding and features, inside ItemAttributes after the fields every group carries.
void WriteLargeAttributes(MarkupWriter& writer, const Item& item);
// After Offers. `oversized` writes editorial reviews long enough that ten items exceed the
// program's page buffer.
void WriteLargeParts(MarkupWriter& writer, const Item& item, const web::StoreInfo& store,
                     bool oversized);

}  // namespace zem::sim
