#include "store/recordkey.h"

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

}  // namespace store
