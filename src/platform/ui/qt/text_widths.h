#pragma once
// How wide a text shows in a font, from the advances of its characters, each looked up once:
// lists measure every cell of every row they are given, and laying each text out anew costs
// more than filling the list itself.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <cstdint>
#include <vector>

namespace zem::ui::qt {

class TextWidths {
  public:
    explicit TextWidths(const QFont& font) : metrics_(font) {}
    // The sum of the advances: kerning, left out, moves a pair of letters by a pixel at most,
    // which a cell's margins take. A character beyond the basic plane is measured as it stands.
    int Of(const QString& text);

  private:
    QFontMetrics metrics_;
    std::vector<std::int16_t> advances_;  // by UTF-16 unit; -1 not looked up yet
};

}  // namespace zem::ui::qt
