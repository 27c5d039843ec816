#include "mainwindow/internalnumberlist.h"

#include "store/recordkey.h"

namespace mainwindow {

QStringList BuildInternalNumberList(const store::RecordStore& records, const QStringList& keys) {
  const QString storeKey = QString::fromLatin1(store::Fields()[store::kIRuf].storeKey);
  QStringList entries;
  entries.reserve(keys.size());
  // Every entry starts with its key, so the keys' sorted order is already the list's order.
  for (const QString& key : keys) {
    const QString number = records.Value(key, storeKey);
    if (number.isEmpty())
      continue;
    entries.append(store::DecorateEntry(key, number));
  }
  return entries;
}

}  // namespace mainwindow
