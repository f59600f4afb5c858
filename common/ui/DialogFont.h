#pragma once

#include <QFont>

namespace tapelink {

// Size of a stand-in for "宋体": 11 pixels at 96 dots per inch.
inline constexpr double kStandInPointSize = 8.25;

// "宋体" 9 point, the one font of every window. Where that face is not installed, the font database
// falls back to an installed face that has the Chinese characters, used at kStandInPointSize.
QFont dialogFont();

// Height of one row of a list (phone list, recycle bin, search results): one line of the font.
int listRowHeight(const QFont& font);

}  // namespace tapelink
