// The host database schema: created and brought up to date by `gaeb init`.
// Tables of the document (header, positions, closing rows) are made from the
// field catalogues; a column a newer catalogue adds is added to an existing
// table, so upgrading keeps every stored document.
#pragma once

#include "core/host.h"

namespace gaeb::host {

// 2: the article masters.
inline constexpr int kSchemaversion = 2;

// Creates the tables that are missing and adds missing columns; records the
// schema version. Idempotent. Runs in one transaction.
void ErstelleSchema(Verbindung& v);

// The version recorded in the database, 0 when it has no schema yet.
int Schemaversion(Verbindung& v);

}  // namespace gaeb::host
