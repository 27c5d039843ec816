#include "reports/companion.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <algorithm>
#include <charconv>
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

// The values of the grid's columns as the profile service writes them (Windows-1252, a line
// break as a blank so that it cannot split the line or start a section), made in one pass
// over the rows: the cells are stored row by row, and reading them in that order is several
// times faster than column by column.
struct EncodedColumn {
  QByteArray bytes;
  std::vector<qsizetype> ends;  // where value r ends in bytes

  QByteArrayView Value(int r) const {
    const qsizetype begin = r > 0 ? ends[r - 1] : 0;
    return QByteArrayView(bytes.constData() + begin, ends[r] - begin);
  }
};

void AppendEncoded(QByteArray& out, const QString& text) {
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

std::vector<EncodedColumn> EncodeColumns(const Grid& grid) {
  std::vector<EncodedColumn> columns(grid.columnCount);
  for (EncodedColumn& column : columns) {
    column.bytes.reserve(qsizetype(grid.rowCount) * 12);
    column.ends.reserve(grid.rowCount);
  }
  for (int r = 0; r < grid.rowCount; ++r) {
    for (int c = 0; c < grid.columnCount; ++c) {
      AppendEncoded(columns[c].bytes, grid.Cell(c, r));
      columns[c].ends.push_back(columns[c].bytes.size());
    }
  }
  return columns;
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

// What one section receives: the keys "0", "1", ... with the values of a grid column, or a
// few named keys (section "xxx").
class SectionWrite {
 public:
  SectionWrite(int column, const EncodedColumn& values)
      : name_(QByteArray::number(column)), column_(&values) {}
  SectionWrite(QByteArray name, QList<QPair<QByteArray, QByteArray>> named)
      : name_(std::move(name)), named_(std::move(named)) {}

  const QByteArray& Name() const { return name_; }
  int Count() const { return column_ ? int(column_->ends.size()) : int(named_.size()); }

  // The index of the value written under a key of the file, or -1.
  int IndexOfKey(QByteArrayView key) const {
    if (column_)
      return RowOfKey(key, Count());
    for (int i = 0; i < named_.size(); ++i) {
      if (store::EqualIgnoringCase(key, named_[i].first))
        return i;
    }
    return -1;
  }

  void AppendValue(QByteArray& out, int i) const {
    out += column_ ? column_->Value(i) : QByteArrayView(named_[i].second);
  }

  void AppendLine(QByteArray& out, int i) const {
    if (column_) {
      char digits[16];
      const auto result = std::to_chars(digits, digits + sizeof digits, i);
      out.append(digits, result.ptr - digits);
    } else {
      out += named_[i].first;
    }
    out += '=';
    AppendValue(out, i);
    out.append("\r\n", 2);
  }

 private:
  QByteArray name_;
  const EncodedColumn* column_ = nullptr;
  QList<QPair<QByteArray, QByteArray>> named_;
};

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
// value replaced in place keeps the key's spelling (the first line of a key is the one
// replaced), a new key goes after the last non-blank line of the section. One pass.
void AppendMergedSection(QByteArray& out, const QByteArray& bytes, const SectionPos& s,
                         qsizetype sectionEnd, const SectionWrite& write) {
  const char* d = bytes.constData();
  std::vector<BodyLine> body;
  std::vector<bool> found(write.Count(), false);
  LineScanner lines(d, sectionEnd, s.bodyBegin);
  qsizetype b, e, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    BodyLine line;
    line.text = QByteArrayView(d + b, e - b);
    line.eol = QByteArrayView(d + e, std::min(lines.Pos(), sectionEnd) - e);
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      line.key = QByteArrayView(d + kb, ke - kb);
      const int index = write.IndexOfKey(line.key);
      if (index >= 0 && !found[index]) {
        found[index] = true;
        line.written = index;
      }
    }
    body.push_back(line);
  }

  QByteArray headerEol(d + s.headerLineEnd, s.bodyBegin - s.headerLineEnd);
  size_t at = body.size();
  while (at > 0 && IsBlankLine(body[at - 1].text))
    --at;
  const bool adds = std::find(found.begin(), found.end(), false) != found.end();
  if (adds) {
    if (at > 0 && body[at - 1].eol.isEmpty())
      body[at - 1].eolAdded = true;
    if (at == 0 && headerEol.isEmpty())
      headerEol = "\r\n";
  }

  out.append(d + s.headerBegin, s.headerLineEnd - s.headerBegin);
  out += headerEol;
  auto appendAdded = [&] {
    for (int i = 0; i < write.Count(); ++i) {
      if (!found[i])
        write.AppendLine(out, i);
    }
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
    estimate += 16 + qsizetype(write.Count()) * 24;
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

  for (size_t w = 0; w < writes.size(); ++w) {
    if (written[w])
      continue;
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
      out.append("\r\n", 2);
    out += '[' + writes[w].Name() + "]\r\n";
    for (int i = 0; i < writes[w].Count(); ++i)
      writes[w].AppendLine(out, i);
  }
  return out;
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
  const std::vector<EncodedColumn> columns = EncodeColumns(grid);
  std::vector<SectionWrite> writes;
  writes.reserve(grid.columnCount + 1);
  for (int c = 0; c < grid.columnCount; ++c)
    writes.emplace_back(c, columns[c]);
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
