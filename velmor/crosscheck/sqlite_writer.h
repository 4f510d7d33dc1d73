// The cross-check's data as an SQLite database, for the committee's own queries.
#pragma once

#include <string>

#include "crosscheck/contest.h"
#include "services/file_ops.h"

namespace velmor::crosscheck {

// Whether this build can write SQLite databases (the Linux build links libsqlite3; the
// Windows builds do not).
bool sqliteAvailable();

// Writes `path` with three tables that hold the same rows and columns as the CSV files. The
// file is a FileReplacement on `ops`: its temporary file is created through the table,
// filled by SQLite by name, and put in place through the table when whole.
//
// | table    | columns (as in)                     |
// |----------|-------------------------------------|
// | verdicts | verdicts.csv; line an integer       |
// | results  | results.csv; the counts integers    |
// | skipped  | skipped.csv                         |
//
// Returns an empty string on success, else what went wrong.
std::string writeSqlite(const Contest& contest, const std::string& path, const FileOps& ops);

}  // namespace velmor::crosscheck
