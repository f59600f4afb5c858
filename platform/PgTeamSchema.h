#pragma once

#include "platform/PgConnection.h"

namespace tapelink {

// The team archive's tables, versioned like the local catalogue: a schema_version table and steps that are
// only ever appended. Run by the server's administrator (who owns the tables).
inline constexpr int kTeamSchemaVersion = 4;

// Brings the schema up to version upTo (the latest by default), in one transaction that others wait for.
TeamStatus migrateTeamSchema(PgConnection& connection, int upTo = kTeamSchemaVersion);
// 0 when the schema was never made.
TeamStatus teamSchemaVersion(PgConnection& connection, int& version);

}  // namespace tapelink
