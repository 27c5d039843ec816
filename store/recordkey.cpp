#include "store/recordkey.h"

#include <algorithm>

namespace store {

QString FormRecordKey(const QString& name, const QString& firstName) {
  return name + QLatin1Char(',') + firstName;
}

QString DecorateEntry(const QString& key, const QString& internalNumber) {
  return key + QStringLiteral(" @ ") + internalNumber;
}

QString StripEntrySuffix(const QString& entry) {
  const qsizetype at = entry.indexOf(QLatin1Char('@'));
  if (at < 0)
    return entry;
  qsizetype end = at;
  while (end > 0 && entry.at(end - 1).unicode() <= 32)
    --end;
  return entry.left(end);
}

QStringList StripEntrySuffixes(const QStringList& entries) {
  return StripEntrySuffixes(entries, QVector<bool>(entries.size(), true));
}

QStringList StripEntrySuffixes(const QStringList& entries, const QVector<bool>& picked) {
  // The entries' texts lie all over the heap, and a list of 100 000 is read at a miss each:
  // the text of an entry some places ahead is asked for while this one is looked at.
  constexpr qsizetype kAhead = 8;
  const qsizetype count = std::min(entries.size(), picked.size());
  QStringList keys;
  keys.reserve(qsizetype(std::count(picked.begin(), picked.begin() + count, true)));
  for (qsizetype i = 0; i < count; ++i) {
    if (i + kAhead < count)
      __builtin_prefetch(entries[i + kAhead].constData());
    if (!picked[i])
      continue;
    const QString& entry = entries[i];
    keys.append(entry.contains(QLatin1Char('@')) ? StripEntrySuffix(entry) : entry);
  }
  return keys;
}

}  // namespace store
