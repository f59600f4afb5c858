#include "common/ui/RightAlignedCalendar.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <algorithm>

namespace tapelink {

namespace {

// Qt places the calendar under the field's left edge just before showing it; the show event comes
// before the window is mapped, so moving it then shows it in the right place at once.
class RightAlignOnShow : public QObject {
public:
    RightAlignOnShow(QDateTimeEdit& picker, QObject* popup) : QObject(popup), m_picker(&picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || m_picker == nullptr) return false;
        auto* popup = static_cast<QWidget*>(watched);
        const int rightEdge = m_picker->mapToGlobal(QPoint(m_picker->width(), 0)).x();
        const QRect screen = m_picker->screen()->availableGeometry();
        const int lastLeft = std::max(screen.left(), screen.left() + screen.width() - popup->width());
        popup->move(std::clamp(rightEdge - popup->width(), screen.left(), lastLeft), popup->y());
        return false;
    }

private:
    QPointer<QDateTimeEdit> m_picker;
};

}  // namespace

void dropCalendarRightAligned(QDateTimeEdit& picker) {
    picker.setCalendarPopup(true);
    // A calendar of our own, so that its pop-up window exists now and can be watched.
    picker.setCalendarWidget(new QCalendarWidget(&picker));
    QWidget* popup = picker.calendarWidget()->window();
    popup->installEventFilter(new RightAlignOnShow(picker, popup));
}

}  // namespace tapelink
