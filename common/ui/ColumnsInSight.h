#pragma once

class QTableView;
class QWidget;

namespace tapelink {

// The width a list needs to show every column without scrolling: its columns, frame and a vertical
// scroll bar.
int allColumnsWidth(const QTableView& list);

// How much wider window may open so that list shows every column, within the free width of the screen
// it opens on (0 when the list already fits or the screen has no room to spare).
int widthToShowAllColumns(const QWidget& window, const QTableView& list);

}  // namespace tapelink
