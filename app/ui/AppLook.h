#pragma once

#include <QFont>
#include <QIcon>
#include <QSize>

namespace tapelink {

// Icon 128, the program's icon: "tapelink" from the icon theme, else the SVG in the resources.
QIcon appIcon();

// A size in dialog units of the font (a quarter of the average letter width, an eighth of the height).
QSize dialogUnitsToPixels(const QFont& font, int width, int height);

}  // namespace tapelink
