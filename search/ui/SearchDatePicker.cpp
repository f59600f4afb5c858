#include "search/ui/SearchDatePicker.h"

#include "common/ui/RightAlignedCalendar.h"

namespace tapelink {

QDateTimeEdit* makeSearchDatePicker(QWidget* parent) {
    auto* picker = new QDateTimeEdit(parent);
    picker->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    dropCalendarRightAligned(*picker);
    // A start key holds two year digits of the century 2000.
    picker->setDateTimeRange(QDateTime(QDate(2000, 1, 1), QTime(0, 0)),
                             QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59)));
    return picker;
}

}  // namespace tapelink
