#pragma once

#include <sqlite3.h>

#include <string>

#include "catalogue/CallFigures.h"
#include "common/CatalogueStatus.h"

namespace tapelink {

// The statistics' counts grouped by SQLite itself in one read transaction: only the groups (days and
// numbers) cross into the program, never the rows.
CatalogueStatus sqliteCallFigures(sqlite3* db, const std::string& fromKey, const std::string& toKey,
                                  CallFigureRows& out);

// The two statements it runs (the days, then the numbers), with ?1 and ?2 for the bounds: for measuring
// them elsewhere.
std::string sqliteCallFigureDaysSql();
std::string sqliteCallFigureNumbersSql();

}  // namespace tapelink
