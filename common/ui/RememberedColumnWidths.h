#pragma once

#include <memory>
#include <string>

class QTableView;

namespace tapelink {

class IColumnWidthStore;

// Gives list's columns the widths store holds under name (those it has; the others keep theirs), then
// keeps there every width the user drags, shortly after the drag and at the latest when list goes.
void rememberColumnWidths(QTableView& list, std::shared_ptr<IColumnWidthStore> store, const std::string& name);

}  // namespace tapelink
