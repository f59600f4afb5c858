#pragma once

#include <QDateTimeEdit>

namespace tapelink {

// Gives a date picker a drop-down calendar that opens under the field with its right edge on the
// field's right edge (kept on the screen), as the program's date pickers do.
void dropCalendarRightAligned(QDateTimeEdit& picker);

}  // namespace tapelink
