#pragma once

#include <QFont>
#include <QIcon>
#include <QSize>

namespace tapelink {

// Icon 128, the program's icon: "tapelink" from the icon theme, else the SVG in the resources.
QIcon appIcon();

// Size of a stand-in for "宋体": 11 pixels at 96 dots per inch.
inline constexpr double kStandInPointSize = 8.25;

// "宋体" 9 point, the font of every window. Where that face is not installed, the font database
// falls back to an installed face that has the Chinese characters, used at kStandInPointSize.
QFont dialogFont();

// A size in dialog units of the font (a quarter of the average letter width, an eighth of the height).
QSize dialogUnitsToPixels(const QFont& font, int width, int height);

}  // namespace tapelink
