#pragma once

#include <QByteArray>
#include <QString>

#include "reports/grid.h"

namespace reports {

// The grid companion of a report text file: the text file's name with its extension (from
// the last "." of the file-name part) replaced by ".sgr", or ".sgr" appended.
QString CompanionName(const QString& reportFile);

// The most columns a report grid can have: fifteen fields and the column of running numbers.
constexpr int kMaxGridColumns = 16;

// The companion file after writing the grid into `existing` (empty for a new file) as the
// profile service writes key by key: one section per column ("0", "1", ...), one key per row
// ("0", "1", ...), then section "xxx" with "col" and "row". Keys and sections of an earlier,
// larger report that this grid does not write stay in the file. Runs in linear time.
QByteArray WriteCompanion(const QByteArray& existing, const Grid& grid);

// The grid a companion file holds. "row" and "col" of section "xxx" give the size, 1 when a
// key is missing or not a number; a cell whose key is missing reads "Error". A count of 1
// leaves no fixed row (or column). Counts beyond what the file can hold (more than 16
// columns, more rows than the file has keys) are cut to what the file actually holds, so a
// damaged or hostile file cannot make the grid grow without bound.
Grid ReadCompanion(const QByteArray& bytes);

}  // namespace reports
