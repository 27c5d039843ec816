#include "store/importrecords.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/keycollation.h"
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

// A new section of a store written in UTF-8 (one that starts with a byte-order mark): its name
// and values in UTF-8, as a save into such a store writes them.
void AppendUtf8Section(QByteArray* out, QByteArrayView key, const RecordValues& values) {
  out->append('[').append(key).append("]\r\n");
  for (int field : StoreOrder()) {
    const QString& value = values[size_t(field)];
    const bool quoted = profile::NeedsQuotes(value);
    out->append(Fields()[size_t(field)].storeKey).append('=');
    if (quoted)
      out->append('"');
    out->append(LineSafe(value.toUtf8()));
    if (quoted)
      out->append('"');
    out->append("\r\n");
  }
}

// A new section as a save writes it: the header, then the fifteen keys in store order. The
// values go straight into the store's bytes; line breaks become blanks (the caller has refused
// them already; the file's line structure must hold whatever comes).
void AppendSection(QByteArray* out, QByteArrayView key, const RecordValues& values) {
  qsizetype size = key.size() + 4;
  for (int field = 0; field < kFieldCount; ++field)
    size += qsizetype(std::strlen(Fields()[size_t(field)].storeKey)) +
            values[size_t(field)].size() + 5;  // "=", the value in quotes, CR LF
  const qsizetype at = out->size();
  out->resize(at + size);
  char* p = out->data() + at;
  *p++ = '[';
  std::memcpy(p, key.data(), size_t(key.size()));
  p += key.size();
  std::memcpy(p, "]\r\n", 3);
  p += 3;
  for (int field : StoreOrder()) {
    const char* name = Fields()[size_t(field)].storeKey;
    const size_t nameSize = std::strlen(name);
    std::memcpy(p, name, nameSize);
    p += nameSize;
    *p++ = '=';
    const QString& value = values[size_t(field)];
    const bool quoted = profile::NeedsQuotes(value);
    if (quoted)
      *p++ = '"';
    ToCp1252(value, p);
    for (qsizetype i = 0; i < value.size(); ++i) {
      if (p[i] == '\r' || p[i] == '\n')
        p[i] = ' ';
    }
    p += value.size();
    if (quoted)
      *p++ = '"';
    std::memcpy(p, "\r\n", 2);
    p += 2;
  }
  out->truncate(p - out->constData());
}

// Sorts keys that mostly come in a few ascending runs (an exported list, or two lists one after
// the other) by merging the runs: a comparison of two keys goes through the collation table,
// and a full sort of a hundred thousand keys would ask it seventeen times per key. Two keys
// never compare equal (ties go by code points, and a key comes at most once), so the order is
// the same as a sort's.
template <typename Before>
void SortRuns(std::vector<QByteArray>* keys, Before before) {
  std::vector<size_t> starts{0};
  for (size_t i = 1; i < keys->size(); ++i) {
    if (before((*keys)[i], (*keys)[i - 1]))
      starts.push_back(i);
  }
  if (starts.size() > 64) {
    std::sort(keys->begin(), keys->end(), before);
    return;
  }
  starts.push_back(keys->size());
  while (starts.size() > 2) {
    std::vector<size_t> merged{0};
    for (size_t r = 0; r + 2 < starts.size(); r += 2) {
      std::inplace_merge(keys->begin() + qsizetype(starts[r]),
                         keys->begin() + qsizetype(starts[r + 1]),
                         keys->begin() + qsizetype(starts[r + 2]), before);
      merged.push_back(starts[r + 2]);
    }
    if (starts.size() % 2 == 0)
      merged.push_back(starts.back());  // an odd run stays as it is
    starts = std::move(merged);
  }
}

// The name index with the new keys: the lines read, and the new keys sorted and merged in, each
// line ended by CR LF. A list that is not in order (written by an older program) is sorted
// whole, as a single save would sort it.
QByteArray MergeNames(const ListBytes& names, std::vector<QByteArray> added) {
  const KeyOrder& order = KeyOrder::ForThisThread();
  auto before = [&](QByteArrayView a, QByteArrayView b) { return order.Compare(a, b) < 0; };
  std::vector<QByteArrayView> lines;
  lines.reserve(size_t(names.Count()));
  for (qsizetype i = 0; i < names.Count(); ++i)
    lines.push_back(names.Line(i));
  if (!std::is_sorted(lines.begin(), lines.end(), before))
    std::stable_sort(lines.begin(), lines.end(), before);
  SortRuns(&added, [&](const QByteArray& a, const QByteArray& b) { return before(a, b); });
  qsizetype size = 0;
  for (const QByteArrayView& line : lines)
    size += line.size() + 2;
  for (const QByteArray& key : added)
    size += key.size() + 2;
  QByteArray out(size, Qt::Uninitialized);
  char* p = out.data();
  auto put = [&p](QByteArrayView line) {
    std::memcpy(p, line.data(), size_t(line.size()));
    p += line.size();
    std::memcpy(p, "\r\n", 2);
    p += 2;
  };
  size_t a = 0;
  for (const QByteArrayView& line : lines) {
    // A new key goes after the lines that sort with it, as a save inserts it.
    while (a < added.size() && before(added[a], line))
      put(added[a++]);
    put(line);
  }
  while (a < added.size())
    put(added[a++]);
  return out;
}

}  // namespace

ImportPlan PlanImport(QByteArrayView namesBytes, QByteArrayView secure, QByteArrayView storeBytes,
                      const std::vector<NewRecord>& records) {
  ImportPlan plan;
  ImportOutcome& outcome = plan.outcome;
  outcome.refusals.assign(records.size(), ImportRefusal::None);
  outcome.earlier.assign(records.size(), -1);

  const ListBytes names{QByteArray(namesBytes.data(), namesBytes.size())};
  const QSet<QByteArray> live = names.FoldedLines();
  const QSet<QByteArray> deleted =
      ListBytes(QByteArray(secure.data(), secure.size())).FoldedLines();
  const QSet<QByteArray> sections = profile::FoldedSectionNames(storeBytes);
  QHash<QByteArray, qsizetype> batch;
  batch.reserve(qsizetype(records.size()));
  std::vector<QByteArray> added;
  added.reserve(records.size());

  // New sections go at the end of the file, without a blank line before them.
  plan.sections.reserve(qsizetype(records.size()) * 256);
  if (!storeBytes.isEmpty() && !storeBytes.endsWith('\n') && !storeBytes.endsWith('\r'))
    plan.sections.append("\r\n", 2);
  // The lists are Windows-1252 always; the store's own names and values are UTF-8 when it
  // starts with a byte-order mark, and other workstations read them so.
  const bool utf8 = profile::TextOf(storeBytes).utf8;
  for (size_t i = 0; i < records.size(); ++i) {
    // The record store ignores blanks at both ends of a section name.
    const QByteArray key = LineSafe(profile::EncodeName(records[i].key, false));
    const QByteArray folded = FoldedKey(key);
    const QByteArray section = utf8 ? LineSafe(profile::EncodeName(records[i].key, true)) : key;
    ImportRefusal& refusal = outcome.refusals[i];
    if (live.contains(folded)) {
      refusal = ImportRefusal::KeyLive;
    } else if (deleted.contains(folded)) {
      refusal = ImportRefusal::KeyDeleted;
    } else if (sections.contains(utf8 ? FoldedKey(section) : folded)) {
      // Writing it would overwrite values that someone may still need.
      refusal = ImportRefusal::KeyInStore;
    } else if (const auto earlier = batch.constFind(folded); earlier != batch.constEnd()) {
      refusal = ImportRefusal::KeyTwice;
      outcome.earlier[i] = earlier.value();
    } else if (utf8 && FieldTooLongForUtf8(records[i].values) >= 0) {
      refusal = ImportRefusal::TooLong;
    } else {
      batch.insert(folded, qsizetype(i));
      if (utf8)
        AppendUtf8Section(&plan.sections, section, records[i].values);
      else
        AppendSection(&plan.sections, key, records[i].values);
      added.push_back(key);
      ++outcome.imported;
    }
  }
  if (outcome.imported > 0)
    plan.names = MergeNames(names, std::move(added));
  return plan;
}

}  // namespace store
