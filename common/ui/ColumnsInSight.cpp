#include "common/ui/ColumnsInSight.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>

namespace tapelink {

namespace {

// Left free beside a widened window for the window manager's frame.
constexpr int kFrameAllowance = 16;

}  // namespace

int allColumnsWidth(const QTableView& list) {
    const QHeaderView* header = list.horizontalHeader();
    const int columns = header->length();
    const int scrollBar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    return columns + 2 * list.frameWidth() + scrollBar;
}

int widthToShowAllColumns(const QWidget& window, const QTableView& list) {
    const int missing = allColumnsWidth(list) - list.width();
    if (missing <= 0) return 0;
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return 0;
    const int spare = screen->availableGeometry().width() - kFrameAllowance - window.width();
    return std::clamp(missing, 0, std::max(0, spare));
}

}  // namespace tapelink
