#include "reports/companion.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <algorithm>
#include <charconv>
#include <deque>
#include <vector>

#include "reports/codepage.h"
#include "store/cp1252.h"
#include "store/profilescan.h"
#include "store/profiletext.h"

namespace reports {
namespace {

using namespace store::profile;

const QString& ErrorText() {
  static const QString text = QStringLiteral("Error");
  return text;
}

// What one section receives: the keys "0" to rowCount - 1 with the cells of a grid column,
// or a few fixed keys. Keys and values are produced as they are written; a report holds
// millions of cells.
class SectionWrite {
 public:
  SectionWrite(const Grid& grid, int column)
      : name_(QByteArray::number(column)), grid_(&grid), column_(column) {}
  SectionWrite(QByteArray name, QList<QPair<QByteArray, QByteArray>> fixed)
      : name_(std::move(name)), fixed_(std::move(fixed)) {}

  const QByteArray& Name() const { return name_; }
  int Count() const { return grid_ ? grid_->rowCount : int(fixed_.size()); }
  bool IsGridColumn() const { return grid_ != nullptr; }
  // The key of value i, written into buffer (16 bytes) when it has to be made.
  QByteArrayView Key(int i, char* buffer) const {
    if (!grid_)
      return fixed_[i].first;
    const auto result = std::to_chars(buffer, buffer + 16, i);
    return QByteArrayView(buffer, result.ptr - buffer);
  }

  void AppendKey(QByteArray& out, int i) const {
    char buffer[16];
    out += Key(i, buffer);
  }

  // The value as the profile service writes it: Windows-1252, a line break written as a
  // blank so that it cannot split the line or start a section.
  void AppendValue(QByteArray& out, int i) const {
    if (!grid_) {
      out += fixed_[i].second;
      return;
    }
    const QString& text = grid_->Cell(column_, i);
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* p = out.data() + start;
    for (QChar ch : text) {
      const char16_t u = ch.unicode();
      int byte = u < 0x80 ? int(u) : Cp1252Byte(ch);
      if (byte < 0)
        byte = '?';
      if (byte == '\r' || byte == '\n')
        byte = ' ';
      *p++ = char(byte);
    }
  }

  void AppendLine(QByteArray& out, int i) const {
    AppendKey(out, i);
    out += '=';
    AppendValue(out, i);
    out.append("\r\n", 2);
  }

 private:
  QByteArray name_;
  const Grid* grid_ = nullptr;
  int column_ = 0;
  QList<QPair<QByteArray, QByteArray>> fixed_;
};

// A name as the service compares it, folded to capitals. A name without letters to fold is
// used as it is; a folded copy is kept in storage.
QByteArrayView Folded(QByteArrayView name, std::deque<QByteArray>& storage) {
  const unsigned char* fold = store::CaseFoldTable();
  for (char c : name) {
    if (fold[uchar(c)] != uchar(c)) {
      storage.push_back(store::FoldCase(name));
      return storage.back();
    }
  }
  return name;
}

bool IsBlankLine(QByteArrayView text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(c); });
}

struct BodyLine {
  QByteArrayView text;
  QByteArrayView eol;
  QByteArrayView key;  // as spelled in the file
  int written = -1;    // the index of the value that replaces this line's value
  bool eolAdded = false;
};

// Appends an existing section after writing keys into it by the profile service's rules: a
// value replaced in place keeps the key's spelling, a new key goes after the last non-blank
// line of the section. The keys already there are found through a hash, so a section of any
// size costs one pass.
void AppendMergedSection(QByteArray& out, const QByteArray& bytes, const SectionPos& s,
                         qsizetype sectionEnd, const SectionWrite& write) {
  const char* d = bytes.constData();
  std::vector<BodyLine> body;
  QHash<QByteArrayView, size_t> keyLines;  // folded key -> its first line
  std::deque<QByteArray> foldedKeys;
  LineScanner lines(d, sectionEnd, s.bodyBegin);
  qsizetype b, e, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    BodyLine line;
    line.text = QByteArrayView(d + b, e - b);
    line.eol = QByteArrayView(d + e, std::min(lines.Pos(), sectionEnd) - e);
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      line.key = QByteArrayView(d + kb, ke - kb);
      // The first line of a key is the one the service finds and replaces.
      const QByteArrayView folded = Folded(line.key, foldedKeys);
      if (!keyLines.contains(folded))
        keyLines.insert(folded, body.size());
    }
    body.push_back(line);
  }

  QByteArray headerEol(d + s.headerLineEnd, s.bodyBegin - s.headerLineEnd);
  size_t at = body.size();
  while (at > 0 && IsBlankLine(body[at - 1].text))
    --at;

  std::vector<int> added;
  std::deque<QByteArray> foldedNames;
  for (int i = 0; i < write.Count(); ++i) {
    char buffer[16];
    const auto it = keyLines.constFind(Folded(write.Key(i, buffer), foldedNames));
    if (it != keyLines.constEnd()) {
      body[*it].written = i;
    } else {
      added.push_back(i);
    }
  }
  if (!added.empty()) {
    if (at > 0 && body[at - 1].eol.isEmpty())
      body[at - 1].eolAdded = true;
    if (at == 0 && headerEol.isEmpty())
      headerEol = "\r\n";
  }

  out.append(d + s.headerBegin, s.headerLineEnd - s.headerBegin);
  out += headerEol;
  auto appendAdded = [&] {
    for (int i : added)
      write.AppendLine(out, i);
  };
  for (size_t i = 0; i < body.size(); ++i) {
    if (i == at)
      appendAdded();
    const BodyLine& line = body[i];
    if (line.written >= 0) {
      out += line.key;
      out += '=';
      write.AppendValue(out, line.written);
      out.append("\r\n", 2);
    } else {
      out += line.text;
      out += line.eolAdded ? QByteArrayView("\r\n") : line.eol;
    }
  }
  if (at == body.size())
    appendAdded();
}

// Writes the sections into the file as the profile service does when it writes their keys
// one after another: sections already in the file (the first of each name) are changed in
// place, the others are added at the end in the given order, without a blank line before.
QByteArray WriteSections(const QByteArray& bytes, const std::vector<SectionWrite>& writes) {
  std::vector<SectionPos> headers;
  ForEachHeader(bytes.constData(), bytes.size(), 0, [&](const SectionPos& s) {
    headers.push_back(s);
    return true;
  });
  QHash<QByteArray, size_t> writeOfName;
  for (size_t w = 0; w < writes.size(); ++w)
    writeOfName.insert(store::FoldCase(writes[w].Name()), w);

  QByteArray out;
  qsizetype estimate = bytes.size() + 64;
  for (const SectionWrite& write : writes)
    estimate += 16 + qsizetype(write.Count()) * 16;
  out.reserve(estimate);
  out.append(bytes.constData(), headers.empty() ? bytes.size() : headers.front().headerBegin);

  std::vector<bool> written(writes.size(), false);
  QSet<QByteArray> seen;
  for (size_t h = 0; h < headers.size(); ++h) {
    const SectionPos& s = headers[h];
    const qsizetype end = h + 1 < headers.size() ? headers[h + 1].headerBegin : bytes.size();
    const QByteArray folded =
        store::FoldCase(QByteArrayView(bytes.constData() + s.nameBegin, s.nameEnd - s.nameBegin));
    const auto it = writeOfName.constFind(folded);
    if (it != writeOfName.constEnd() && !seen.contains(folded)) {
      AppendMergedSection(out, bytes, s, end, writes[*it]);
      written[*it] = true;
    } else {
      out.append(bytes.constData() + s.headerBegin, end - s.headerBegin);
    }
    seen.insert(folded);
  }

  // The bodies of the new sections, made in one pass over the grid's rows: the cells are
  // stored row by row, and reading them in that order is several times faster than column
  // by column.
  std::vector<QByteArray> bodies(writes.size());
  std::vector<size_t> newColumns;
  int rows = 0;
  for (size_t w = 0; w < writes.size(); ++w) {
    if (written[w])
      continue;
    bodies[w].reserve(qsizetype(writes[w].Count()) * 16);
    if (writes[w].IsGridColumn()) {
      newColumns.push_back(w);
      rows = std::max(rows, writes[w].Count());
    } else {
      for (int i = 0; i < writes[w].Count(); ++i)
        writes[w].AppendLine(bodies[w], i);
    }
  }
  for (int r = 0; r < rows; ++r) {
    for (size_t w : newColumns)
      writes[w].AppendLine(bodies[w], r);
  }

  for (size_t w = 0; w < writes.size(); ++w) {
    if (written[w])
      continue;
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
      out.append("\r\n", 2);
    out += '[' + writes[w].Name() + "]\r\n";
    out += bodies[w];
    bodies[w] = QByteArray();
  }
  return out;
}

// A row key as written: decimal without sign or leading zeros. Only such keys can equal the
// keys "0", "1", ... that the grid asks for.
int RowOfKey(QByteArrayView key, int rowCount) {
  if (key.isEmpty() || key.size() > 10 || (key.size() > 1 && key[0] == '0'))
    return -1;
  qint64 value = 0;
  for (char c : key) {
    if (c < '0' || c > '9')
      return -1;
    value = value * 10 + (c - '0');
  }
  return value < rowCount ? int(value) : -1;
}

// How much a companion file actually holds: its column sections, its key lines in all, and
// the most key lines of one column section.
struct Held {
  int columnSections = 0;
  qsizetype keys = 0;
  qsizetype mostKeysInSection = 0;
};

Held Measure(const QByteArray& bytes) {
  Held held;
  const char* d = bytes.constData();
  LineScanner lines(d, bytes.size());
  qsizetype b, e, nb, ne, kb, ke, vb;
  qsizetype inSection = 0;
  bool columnSection = false;
  while (lines.Next(&b, &e)) {
    if (ParseHeader(d, b, e, &nb, &ne)) {
      columnSection = !store::EqualIgnoringCase(QByteArrayView(d + nb, ne - nb), "xxx");
      if (columnSection)
        ++held.columnSections;
      inSection = 0;
    } else if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      ++held.keys;
      if (columnSection)
        held.mostKeysInSection = std::max(held.mostKeysInSection, ++inSection);
    }
  }
  return held;
}

int ReadCount(const store::ProfileText& profile, const char* key) {
  bool ok = false;
  const int value = profile.Read(u"xxx", QString::fromLatin1(key), QString()).toInt(&ok);
  return ok ? std::max(value, 1) : 1;
}

// The cells of one column: the first line of each key "0" to rowCount - 1 in the column's
// section, "Error" for the others.
void ReadColumn(const QByteArray& bytes, int column, Grid& grid) {
  for (int r = 0; r < grid.rowCount; ++r)
    grid.SetCell(column, r, ErrorText());
  const SectionPos s = FindSection(bytes, QByteArray::number(column));
  if (s.headerBegin < 0)
    return;
  const char* d = bytes.constData();
  std::vector<bool> seen(grid.rowCount, false);
  LineScanner lines(d, bytes.size(), s.bodyBegin);
  qsizetype b, e, nb, ne, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    if (ParseHeader(d, b, e, &nb, &ne))
      break;
    if (!ParseKeyLine(d, b, e, &kb, &ke, &vb))
      continue;
    const int row = RowOfKey(QByteArrayView(d + kb, ke - kb), grid.rowCount);
    if (row < 0 || seen[row])
      continue;
    seen[row] = true;
    grid.SetCell(column, row, store::FromCp1252(CleanValue(d, vb, e)));
  }
}

}  // namespace

QString CompanionName(const QString& reportFile) {
  const qsizetype slash =
      std::max(reportFile.lastIndexOf(QLatin1Char('/')), reportFile.lastIndexOf(QLatin1Char('\\')));
  const qsizetype dot = reportFile.lastIndexOf(QLatin1Char('.'));
  if (dot > slash)
    return reportFile.left(dot) + QStringLiteral(".sgr");
  return reportFile + QStringLiteral(".sgr");
}

QByteArray WriteCompanion(const QByteArray& existing, const Grid& grid) {
  std::vector<SectionWrite> writes;
  writes.reserve(grid.columnCount + 1);
  for (int c = 0; c < grid.columnCount; ++c)
    writes.emplace_back(grid, c);
  writes.emplace_back(QByteArray("xxx"), QList<QPair<QByteArray, QByteArray>>{
                                             {"col", QByteArray::number(grid.columnCount)},
                                             {"row", QByteArray::number(grid.rowCount)}});
  return WriteSections(existing, writes);
}

Grid ReadCompanion(const QByteArray& bytes) {
  const store::ProfileText profile(bytes);
  int rows = ReadCount(profile, "row");
  int columns = ReadCount(profile, "col");
  if (columns > kMaxGridColumns || rows > 1) {
    const Held held = Measure(bytes);
    if (columns > kMaxGridColumns)
      columns = std::clamp(held.columnSections, 1, kMaxGridColumns);
    if (rows > held.keys)
      rows = int(std::max<qsizetype>(1, held.mostKeysInSection));
  }
  Grid grid = Grid::Sized(columns, rows, 1, 1);
  for (int c = 0; c < columns; ++c)
    ReadColumn(bytes, c, grid);
  return grid;
}

}  // namespace reports
