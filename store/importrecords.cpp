#include "store/importrecords.h"

#include <QHash>
#include <QSet>

#include "store/cp1252.h"
#include "store/listbytes.h"
#include "store/profilescan.h"

namespace store {
namespace {

// A key's bytes as every list and the record store hold it, letter case folded.
QByteArray FoldedKey(QByteArrayView bytes) {
  return FoldCase(bytes);
}

// A line break inside a name or value would break the line structure of the files.
QByteArray LineSafe(QByteArray bytes) {
  for (char& c : bytes) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  return bytes;
}

QSet<QByteArray> FoldedLines(const ListBytes& list) {
  QSet<QByteArray> set;
  set.reserve(list.Count());
  for (qsizetype i = 0; i < list.Count(); ++i)
    set.insert(FoldedKey(list.Line(i)));
  return set;
}

QSet<QByteArray> FoldedSectionNames(QByteArrayView bytes) {
  QSet<QByteArray> set;
  profile::ForEachHeader(bytes.data(), bytes.size(), 0, [&](const profile::SectionPos& s) {
    set.insert(FoldedKey(QByteArrayView(bytes.data() + s.nameBegin, s.nameEnd - s.nameBegin)));
    return true;
  });
  return set;
}

// A new section as a save writes it: the header, then the fifteen keys in store order.
void AppendSection(QByteArray* out, const QByteArray& key, const RecordValues& values) {
  out->append('[');
  out->append(key);
  out->append("]\r\n", 3);
  for (int field : StoreOrder()) {
    out->append(Fields()[size_t(field)].storeKey);
    out->append('=');
    out->append(LineSafe(ToCp1252(values[size_t(field)])));
    out->append("\r\n", 2);
  }
}

}  // namespace

ImportPlan PlanImport(ListBytes* names, QByteArrayView secure, QByteArrayView storeBytes,
                      const std::vector<NewRecord>& records) {
  ImportPlan plan;
  ImportOutcome& outcome = plan.outcome;
  outcome.refusals.assign(records.size(), ImportRefusal::None);
  outcome.earlier.assign(records.size(), -1);

  const QSet<QByteArray> live = FoldedLines(*names);
  const ListBytes secureList{QByteArray(secure.data(), secure.size())};
  const QSet<QByteArray> deleted = FoldedLines(secureList);
  const QSet<QByteArray> sections = FoldedSectionNames(storeBytes);
  QHash<QByteArray, qsizetype> batch;
  batch.reserve(qsizetype(records.size()));

  // New sections go at the end of the file, without a blank line before them.
  if (!storeBytes.isEmpty() && !storeBytes.endsWith('\n') && !storeBytes.endsWith('\r'))
    plan.sections.append("\r\n", 2);
  for (size_t i = 0; i < records.size(); ++i) {
    // The record store ignores blanks at both ends of a section name.
    const QByteArray key = LineSafe(profile::CallerName(records[i].key));
    const QByteArray folded = FoldedKey(key);
    ImportRefusal& refusal = outcome.refusals[i];
    if (live.contains(folded)) {
      refusal = ImportRefusal::KeyLive;
    } else if (deleted.contains(folded)) {
      refusal = ImportRefusal::KeyDeleted;
    } else if (sections.contains(folded)) {
      // Writing it would overwrite values that someone may still need.
      refusal = ImportRefusal::KeyInStore;
    } else if (const auto earlier = batch.constFind(folded); earlier != batch.constEnd()) {
      refusal = ImportRefusal::KeyTwice;
      outcome.earlier[i] = earlier.value();
    } else {
      batch.insert(folded, qsizetype(i));
      AppendSection(&plan.sections, key, records[i].values);
      names->Append(records[i].key);
      ++outcome.imported;
    }
  }
  if (outcome.imported > 0)
    names->Sort();
  return plan;
}

}  // namespace store
