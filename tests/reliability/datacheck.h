#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace reliability {

// Strict readers of the three data files, written apart from the store's own parsers so that
// a fault of theirs cannot hide itself. They accept only what the program writes: every line
// ended by CR LF, no empty line, a list line that is a record key, a record section with all
// fifteen keys in store order. Anything else (a torn last line, a truncated section, a line
// of another file mixed in) is described in `error`.

using KeyPredicate = std::function<bool(const QString& key)>;

struct ListCheck {
  QStringList keys;  // in file order
  QString error;     // empty: the file is well formed
};
ListCheck CheckListFile(const QByteArray& bytes, const KeyPredicate& isKey);

struct StoreSection {
  QString name;
  QStringList values;  // fifteen, in store order
};

struct StoreCheck {
  QList<StoreSection> sections;  // in file order
  QString error;
};
StoreCheck CheckStoreFile(const QByteArray& bytes, const KeyPredicate& isKey);

}  // namespace reliability
