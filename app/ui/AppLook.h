#pragma once

#include <QFont>
#include <QIcon>
#include <QSize>

namespace tapelink {

// Icon 128, the program's icon, drawn from the SVG in the resources.
QIcon appIcon();

// "宋体" 9 point, the font of every window. Where that face is not installed, the font database
// falls back to an installed face that has the Chinese characters.
QFont dialogFont();

// A size given in dialog units of the font, the way window sizes are specified.
QSize dialogUnitsToPixels(const QFont& font, int width, int height);

}  // namespace tapelink
