#include "store/recordtable.h"

#include "store/cp1252.h"

namespace store {

qsizetype RecordTable::Size() const {
  return rows_;
}

bool RecordTable::HasSection(qsizetype row) const {
  return row >= 0 && row < rows_ && hasSection_[size_t(row)] != 0;
}

std::optional<QByteArrayView> RecordTable::Raw(qsizetype row, int field) const {
  if (row < 0 || row >= rows_ || field < 0 || field >= kFieldCount || column_[field] < 0)
    return std::nullopt;
  const quint64 span = spans_[size_t(row) * size_t(columns_) + size_t(column_[field])];
  if (span == kMissing)
    return std::nullopt;
  const qsizetype length = qsizetype(span & ((quint64(1) << kLengthBits) - 1));
  const qsizetype offset = qsizetype(span >> kLengthBits);
  return QByteArrayView(bytes_.constData() + offset, length);
}

QString RecordTable::Text(qsizetype row, int field) const {
  const std::optional<QByteArrayView> raw = Raw(row, field);
  return raw ? FromCp1252(*raw) : MissingValue();
}

}  // namespace store
