#pragma once
// Layout fonts as Qt fonts. A family the desktop does not have keeps the base font's family.
#include <QFont>

#include "platform/ui/window/control.h"

namespace zem::ui::qt {

bool NamesFont(const Font& font);
QFont FontFor(const Font& font, const QFont& base);

}  // namespace zem::ui::qt
