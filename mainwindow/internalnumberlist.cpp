#include "mainwindow/internalnumberlist.h"

#include "store/cp1252.h"
#include "store/recordkey.h"

namespace mainwindow {

QStringList BuildInternalNumberList(const store::RecordStore& records, const QStringList& keys) {
  const store::RecordTable table = records.ReadRecords(keys, store::FieldBit(store::kIRuf));
  QStringList entries;
  entries.reserve(keys.size());
  // Every entry starts with its key, so the keys' sorted order is already the list's order.
  for (store::RecordRows rows(table); rows.Next();) {
    const QByteArrayView number = rows.Value(store::kIRuf);
    if (!number.isEmpty())
      entries.append(store::DecorateEntry(keys.at(rows.Row()), store::FromCp1252(number)));
  }
  return entries;
}

}  // namespace mainwindow
