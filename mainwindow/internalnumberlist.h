#pragma once

#include <QStringList>

#include "store/recordstore.h"

namespace mainwindow {

// The entries of the internal-number view: for each record key, in the given (sorted) order,
// the decorated entry "key @ number" when the record's internal number is not empty. A record
// without a section or without a number key is listed with "Error" as its number.
QStringList BuildInternalNumberList(const store::RecordStore& records, const QStringList& keys);

}  // namespace mainwindow
