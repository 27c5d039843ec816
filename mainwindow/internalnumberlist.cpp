#include "mainwindow/internalnumberlist.h"

#include <algorithm>

#include "mainwindow/bytetext.h"
#include "store/cp1252.h"

namespace mainwindow {

QStringList BuildInternalNumberList(const store::RecordStore& records, const QStringList& keys) {
  static const QByteArray missing = store::ToCp1252(store::MissingValue());
  constexpr qsizetype kAhead = 16;
  const store::RecordTable table = records.ReadRecords(keys, store::FieldBit(store::kIRuf));
  QStringList entries;
  entries.reserve(keys.size());
  // Every entry starts with its key, so the keys' sorted order is already the list's order.
  for (qsizetype row = 0; row < keys.size(); ++row) {
    // The rows' sections lie all over the store: ask the memory for a later row's place in
    // the table, and for a nearer row's number, now.
    if (row + 2 * kAhead < keys.size())
      table.PrefetchPlace(row + 2 * kAhead);
    if (row + kAhead < keys.size()) {
      if (const auto ahead = table.Raw(row + kAhead, store::kIRuf))
        __builtin_prefetch(ahead->data());
    }
    const QByteArrayView number = table.Raw(row, store::kIRuf).value_or(QByteArrayView(missing));
    if (number.isEmpty())
      continue;
    // The decorated entry (store::DecorateEntry) written in one piece: key, " @ ", number.
    const QString& key = keys.at(row);
    QString entry(key.size() + 3 + number.size(), Qt::Uninitialized);
    QChar* out = std::copy(key.cbegin(), key.cend(), entry.data());
    *out++ = QLatin1Char(' ');
    *out++ = QLatin1Char('@');
    *out++ = QLatin1Char(' ');
    WriteCp1252(number, out);
    entries.append(std::move(entry));
  }
  return entries;
}

}  // namespace mainwindow
