#pragma once

#include "search/SearchResultRow.h"

namespace tapelink {

// The result list the search fills: the dialog's list view, or a plain table in the CLI and tests.
// Rows are text only; a row does not point back to a record.
class ISearchResultList {
public:
    virtual ~ISearchResultList() = default;
    virtual int rowCount() const = 0;
    virtual void clearRows() = 0;
    // position is 0-based, at most rowCount().
    virtual void insertRow(int position, SearchResultRow row) = 0;
    // Brackets a run of changes so that a view can redraw once at the end instead of once per row.
    virtual void beginUpdate() {}
    virtual void endUpdate() {}
};

}  // namespace tapelink
