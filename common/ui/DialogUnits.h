#pragma once

#include <QRect>

namespace tapelink {

// Windows are laid out in dialog units of their 9-point font: 1.5 pixels each at 96 dots per inch,
// halves rounded up.
constexpr int dialogUnits(int units) {
    return (units * 3 + 1) / 2;
}

constexpr QRect dialogRect(int x, int y, int width, int height) {
    return QRect(dialogUnits(x), dialogUnits(y), dialogUnits(width), dialogUnits(height));
}

}  // namespace tapelink
