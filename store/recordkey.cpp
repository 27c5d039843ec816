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
  const auto entryAt = [&](qsizetype i) -> const QString& {
    if (i + kAhead < entries.size())
      __builtin_prefetch(entries[i + kAhead].constData());
    return entries[i];
  };
  const auto decorated = [](const QString& entry) { return entry.contains(QLatin1Char('@')); };
  const qsizetype count = std::min(entries.size(), picked.size());
  const auto pickedCount = qsizetype(std::count(picked.begin(), picked.begin() + count, true));
  // The usual case, every entry picked and none decorated: the keys are the entries, and the
  // list is shared as it is. Taking and giving back each text would cost two more misses each.
  if (pickedCount == entries.size()) {
    qsizetype i = 0;
    while (i < count && !decorated(entryAt(i)))
      ++i;
    if (i == count)
      return entries;
  }
  QStringList keys;
  keys.reserve(pickedCount);
  for (qsizetype i = 0; i < count; ++i) {
    const QString& entry = entryAt(i);
    if (picked[i])
      keys.append(decorated(entry) ? StripEntrySuffix(entry) : entry);
  }
  return keys;
}

}  // namespace store
