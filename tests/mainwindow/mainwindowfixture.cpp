#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {

QByteArray Section(const QByteArray& key,
                   std::initializer_list<std::pair<int, QByteArray>> values) {
  std::array<QByteArray, store::kFieldCount> byField;
  for (const auto& [field, value] : values)
    byField[field] = value;
  QByteArray bytes = '[' + key + "]\r\n";
  for (int field : store::StoreOrder()) {
    bytes += QByteArray(store::Fields()[field].storeKey) + '=' + byField[field] + "\r\n";
  }
  return bytes;
}

}  // namespace mainwindowtest
