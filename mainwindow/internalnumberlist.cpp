#include "mainwindow/internalnumberlist.h"

#include "store/cp1252.h"
#include "store/recordkey.h"

namespace mainwindow {

QStringList BuildInternalNumberList(const store::RecordStore& records, const QStringList& keys) {
  const store::RecordTable table = records.ReadRecords(keys, store::FieldBit(store::kIRuf));
  QStringList entries;
  // Every entry starts with its key, so the keys' sorted order is already the list's order.
  for (qsizetype row = 0; row < keys.size(); ++row) {
    const std::optional<QByteArrayView> number = table.Raw(row, store::kIRuf);
    if (number && number->isEmpty())
      continue;
    entries.append(store::DecorateEntry(
        keys.at(row), number ? store::FromCp1252(*number) : store::MissingValue()));
  }
  return entries;
}

}  // namespace mainwindow
