#pragma once

#include <QDateTimeEdit>

namespace tapelink {

// The search's calendar field: a date shown as "2026年12月8日" with a drop-down calendar, limited to the
// dates a start key can hold (2000 to 2099). Other windows asking for a range of calls use the same.
QDateTimeEdit* makeSearchDatePicker(QWidget* parent);

}  // namespace tapelink
