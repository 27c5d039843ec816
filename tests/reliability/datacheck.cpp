#include "tests/reliability/datacheck.h"

#include "store/cp1252.h"
#include "store/fieldtable.h"

namespace reliability {
namespace {

// Splits bytes into lines ended by CR LF; an error for a stray CR or LF or a torn last line.
bool SplitLines(const QByteArray& bytes, QList<QByteArray>* lines, QString* error) {
  qsizetype start = 0;
  while (start < bytes.size()) {
    const qsizetype lf = bytes.indexOf('\n', start);
    if (lf < 0) {
      *error = QStringLiteral("torn last line at byte %1").arg(start);
      return false;
    }
    if (lf == start || bytes.at(lf - 1) != '\r') {
      *error = QStringLiteral("line end without CR at byte %1").arg(lf);
      return false;
    }
    QByteArray line = bytes.mid(start, lf - 1 - start);
    if (line.contains('\r')) {
      *error = QStringLiteral("stray CR in line at byte %1").arg(start);
      return false;
    }
    lines->append(std::move(line));
    start = lf + 1;
  }
  return true;
}

}  // namespace

ListCheck CheckListFile(const QByteArray& bytes, const KeyPredicate& isKey) {
  ListCheck result;
  QList<QByteArray> lines;
  if (!SplitLines(bytes, &lines, &result.error))
    return result;
  for (int i = 0; i < lines.size(); ++i) {
    const QString key = store::FromCp1252(lines[i]);
    if (!isKey(key)) {
      result.error = QStringLiteral("line %1 is not a record key: %2").arg(i + 1).arg(key);
      return result;
    }
    result.keys.append(key);
  }
  return result;
}

StoreCheck CheckStoreFile(const QByteArray& bytes, const KeyPredicate& isKey) {
  StoreCheck result;
  QList<QByteArray> lines;
  if (!SplitLines(bytes, &lines, &result.error))
    return result;
  const auto& order = store::StoreOrder();
  int i = 0;
  while (i < lines.size()) {
    const QByteArray& header = lines[i];
    if (!header.startsWith('[') || !header.endsWith(']')) {
      result.error = QStringLiteral("line %1 is no section header").arg(i + 1);
      return result;
    }
    StoreSection section;
    section.name = store::FromCp1252(header.mid(1, header.size() - 2));
    if (!isKey(section.name)) {
      result.error = QStringLiteral("section %1 is not a record key").arg(section.name);
      return result;
    }
    ++i;
    for (int k = 0; k < store::kFieldCount; ++k, ++i) {
      const QByteArray prefix = QByteArray(store::Fields()[order[k]].storeKey) + '=';
      if (i >= lines.size() || !lines[i].startsWith(prefix)) {
        result.error = QStringLiteral("section %1 lacks key %2 at line %3")
                           .arg(section.name, QString::fromLatin1(prefix))
                           .arg(i + 1);
        return result;
      }
      section.values.append(store::FromCp1252(lines[i].mid(prefix.size())));
    }
    result.sections.append(std::move(section));
  }
  return result;
}

}  // namespace reliability
