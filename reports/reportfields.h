#pragma once

#include <QString>
#include <array>

#include "store/fieldtable.h"

namespace reports {

constexpr int kReportFieldCount = 15;

// One entry of the field list: its caption (also the table's column header), the store key
// the table reads, the store key and label of the block line, and the field's place in a
// record read whole (editor order). Store keys match without regard to letter case, so the
// block's "Plz", "email" and "IRUF" read the values written as "PLZ", "EMail" and "IRuf".
struct ReportField {
  const char* caption;  // UTF-8
  const char* tableKey;
  const char* blockKey;
  const char* blockLabel;  // UTF-8; three labels have no blank before the value
  store::Field field;
};

// The fifteen entries of the field list, in list order (index 0 "Name" to 14 "Int. Rufnr.").
const std::array<ReportField, kReportFieldCount>& ReportFields();

// The order of a block's field lines: first name, name, then list entries 2 to 14.
const std::array<int, kReportFieldCount>& BlockLineOrder();

}  // namespace reports
