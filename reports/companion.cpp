#include "reports/companion.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "reports/cp1252text.h"
#include "store/cp1252.h"
#include "store/profilescan.h"

namespace reports {
namespace {

using namespace store::profile;

const QString& ErrorText() {
  static const QString text = QStringLiteral("Error");
  return text;
}

// The number of decimal digits of n >= 0.
int DigitCount(qsizetype n) {
  int digits = 1;
  while (n >= 10) {
    n /= 10;
    ++digits;
  }
  return digits;
}

char* PutNumber(char* p, qsizetype n) {
  return std::to_chars(p, p + 20, n).ptr;
}

// Writes a cell's bytes as the profile service writes a value: a line break as a blank so
// that it cannot split the line or start a section.
char* PutCell(char* p, QByteArrayView bytes) {
  for (char c : bytes)
    *p++ = c == '\r' || c == '\n' ? ' ' : c;
  return p;
}

// The grid as the sections of a new companion: "[c]" with the keys "0", "1", ... of every
// column, then "[xxx]" with "col" and "row". Made in one pass over the rows into a buffer of
// exactly the right size: the cells are stored row by row, and reading them in that order is
// several times faster than column by column. Writing into an existing file takes the lines
// and values from here.
class Layout {
 public:
  // Where every line starts is kept only when lines are asked for (writing into a file that
  // has sections already); a new companion needs just the bytes.
  Layout(const Grid& grid, bool keepLines) : columns_(grid.columnCount), rows_(grid.rowCount) {
    const QByteArray xxx = "[xxx]\r\ncol=" + QByteArray::number(columns_) +
                           "\r\nrow=" + QByteArray::number(rows_) + "\r\n";
    // Where every line starts, column by column, with the end of each column's last line.
    if (keepLines)
      lineBegin_.resize(size_t(columns_) * (rows_ + 1));
    std::vector<qsizetype> size(columns_);
    for (int c = 0; c < columns_; ++c)
      size[c] = 4 + DigitCount(c);
    for (int r = 0; r < rows_; ++r) {
      const qsizetype keyAndBreak = DigitCount(r) + 3;
      for (int c = 0; c < columns_; ++c)
        size[c] += keyAndBreak + grid.CellBytes(c, r).size();
    }
    sectionBegin_.resize(columns_ + 1);
    qsizetype total = 0;
    for (int c = 0; c < columns_; ++c) {
      sectionBegin_[c] = total;
      total += size[c];
    }
    sectionBegin_[columns_] = total;
    bytes_.resize(total + xxx.size());

    char* d = bytes_.data();
    std::vector<char*> cursor(columns_);
    for (int c = 0; c < columns_; ++c) {
      char* p = d + sectionBegin_[c];
      *p++ = '[';
      p = PutNumber(p, c);
      *p++ = ']';
      *p++ = '\r';
      *p++ = '\n';
      cursor[c] = p;
    }
    for (int r = 0; r < rows_; ++r) {
      // The row's key and "=", the same in every column, written out once.
      char key[24];
      char* keyEnd = PutNumber(key, r);
      *keyEnd++ = '=';
      const qsizetype keyLength = keyEnd - key;
      for (int c = 0; c < columns_; ++c) {
        char* p = cursor[c];
        if (keepLines)
          lineBegin_[LineIndex(c, r)] = p - d;
        p = CopyBytes(p, key, keyLength);
        p = PutCell(p, grid.CellBytes(c, r));
        *p++ = '\r';
        *p++ = '\n';
        cursor[c] = p;
      }
    }
    for (int c = 0; keepLines && c < columns_; ++c)
      lineBegin_[LineIndex(c, rows_)] = cursor[c] - d;
    std::copy(xxx.begin(), xxx.end(), d + total);
  }

  const QByteArray& Bytes() const { return bytes_; }
  QByteArray TakeBytes() { return std::move(bytes_); }
  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  // Column c's section, header included.
  QByteArrayView Section(int c) const {
    const qsizetype end = c + 1 <= columns_ ? sectionBegin_[c + 1] : bytes_.size();
    return QByteArrayView(bytes_.constData() + sectionBegin_[c], end - sectionBegin_[c]);
  }
  // Section "xxx", header included.
  QByteArrayView CountSection() const { return Section(columns_); }
  // Line r of column c, with its line end.
  QByteArrayView Line(int c, int r) const {
    const qsizetype begin = lineBegin_[LineIndex(c, r)];
    return QByteArrayView(bytes_.constData() + begin, lineBegin_[LineIndex(c, r + 1)] - begin);
  }
  // The value of line r of column c.
  QByteArrayView Value(int c, int r) const {
    const QByteArrayView line = Line(c, r);
    const qsizetype key = DigitCount(r) + 1;
    return line.sliced(key, line.size() - key - 2);
  }

 private:
  size_t LineIndex(int c, int r) const { return size_t(c) * (rows_ + 1) + r; }

  int columns_;
  int rows_;
  QByteArray bytes_;
  std::vector<qsizetype> sectionBegin_;  // the last entry is section "xxx"
  std::vector<qsizetype> lineBegin_;
};

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
  SectionWrite(const Layout& layout, int column)
      : name_(QByteArray::number(column)), layout_(&layout), column_(column) {}
  SectionWrite(QByteArray name, QList<QPair<QByteArray, QByteArray>> named)
      : name_(std::move(name)), named_(std::move(named)) {}

  const QByteArray& Name() const { return name_; }
  int Count() const { return layout_ ? layout_->Rows() : int(named_.size()); }

  // The index of the value written under a key of the file, or -1.
  int IndexOfKey(QByteArrayView key) const {
    if (layout_)
      return RowOfKey(key, Count());
    for (int i = 0; i < named_.size(); ++i) {
      if (store::EqualIgnoringCase(key, named_[i].first))
        return i;
    }
    return -1;
  }

  void AppendValue(QByteArray& out, int i) const {
    out += layout_ ? layout_->Value(column_, i) : QByteArrayView(named_[i].second);
  }

  void AppendLine(QByteArray& out, int i) const {
    if (layout_) {
      out += layout_->Line(column_, i);
      return;
    }
    out += named_[i].first;
    out += '=';
    AppendValue(out, i);
    out.append("\r\n", 2);
  }

  // The whole section as a new one, header included.
  void AppendSection(QByteArray& out) const {
    if (layout_) {
      out += layout_->Section(column_);
      return;
    }
    out += '[' + name_ + "]\r\n";
    for (int i = 0; i < Count(); ++i)
      AppendLine(out, i);
  }

 private:
  QByteArray name_;
  const Layout* layout_ = nullptr;
  int column_ = 0;
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
QByteArray WriteSections(const QByteArray& bytes, const std::vector<SectionWrite>& writes,
                         qsizetype newBytes) {
  std::vector<SectionPos> headers;
  ForEachHeader(bytes.constData(), bytes.size(), 0, bytes.size(), [&](const SectionPos& s) {
    headers.push_back(s);
    return true;
  });
  QHash<QByteArray, size_t> writeOfName;
  for (size_t w = 0; w < writes.size(); ++w)
    writeOfName.insert(store::FoldCase(writes[w].Name()), w);

  QByteArray out;
  out.reserve(bytes.size() + newBytes + 64);
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
    writes[w].AppendSection(out);
  }
  return out;
}

// What a companion file holds: its key lines in all, and the most of one column section.
struct Held {
  qsizetype keys = 0;
  qsizetype mostKeysInSection = 0;
};

bool IsCountSection(QByteArrayView name) {
  return store::EqualIgnoringCase(name, "xxx");
}

// "row" or "col" of the first section "xxx": 1 when missing, not a number or below 1.
int ReadCount(const QByteArray& bytes, const std::vector<SectionPos>& headers, const char* key) {
  const char* d = bytes.constData();
  for (const SectionPos& s : headers) {
    if (!IsCountSection(QByteArrayView(d + s.nameBegin, s.nameEnd - s.nameBegin)))
      continue;
    QByteArrayView raw;
    if (!FindKey(d, bytes.size(), s.bodyBegin, key, &raw))
      return 1;
    bool ok = false;
    const int value = store::FromCp1252(CleanValue(raw.data(), 0, raw.size())).toInt(&ok);
    return ok ? std::max(value, 1) : 1;
  }
  return 1;
}

// The section a header opens: a column section unless it is "xxx", and the column whose
// cells it holds when it is the first section of that column's name ("0", "1", ...).
struct SectionRole {
  bool columnSection = false;
  int column = -1;
};

std::vector<SectionRole> Roles(const QByteArray& bytes, const std::vector<SectionPos>& headers,
                               int columns) {
  std::vector<SectionRole> roles(headers.size());
  std::array<bool, kMaxGridColumns> columnSeen{};
  for (size_t h = 0; h < headers.size(); ++h) {
    const QByteArrayView name(bytes.constData() + headers[h].nameBegin,
                              headers[h].nameEnd - headers[h].nameBegin);
    roles[h].columnSection = !IsCountSection(name);
    const int column = RowOfKey(name, columns);
    if (column >= 0 && !columnSeen[column]) {
      columnSeen[column] = true;
      roles[h].column = column;
    }
  }
  return roles;
}

// The lines of section h (h = headers.size(): the lines before the first header).
LineScanner SectionLines(const QByteArray& bytes, const std::vector<SectionPos>& headers,
                         size_t h) {
  if (h == headers.size()) {
    const qsizetype end = headers.empty() ? bytes.size() : headers.front().headerBegin;
    return LineScanner(bytes.constData(), end, 0);
  }
  const qsizetype end = h + 1 < headers.size() ? headers[h + 1].headerBegin : bytes.size();
  return LineScanner(bytes.constData(), end, headers[h].bodyBegin);
}

// The key lines of the file in all, and the most of one column section.
Held CountKeys(const QByteArray& bytes, const std::vector<SectionPos>& headers,
               const std::vector<SectionRole>& roles) {
  Held held;
  const char* d = bytes.constData();
  qsizetype b, e, kb, ke, vb;
  for (size_t h = 0; h <= headers.size(); ++h) {
    qsizetype inSection = 0;
    LineScanner lines = SectionLines(bytes, headers, h);
    while (lines.Next(&b, &e))
      inSection += ParseKeyLine(d, b, e, &kb, &ke, &vb);
    held.keys += inSection;
    if (h < headers.size() && roles[h].columnSection)
      held.mostKeysInSection = std::max(held.mostKeysInSection, inSection);
  }
  return held;
}

// The cells of the grid's columns: the first line of each key "0" to rowCount - 1 in the
// first section of each column; "Error" for the others. Counts the key lines on the way, as
// CountKeys does, so that a file holding fewer keys than its row count is found in this pass.
Held ReadCells(const QByteArray& bytes, const std::vector<SectionPos>& headers,
               const std::vector<SectionRole>& roles, Grid& grid) {
  const char* d = bytes.constData();
  grid.FillAll(ErrorText());
  std::vector<bool> found(size_t(grid.columnCount) * size_t(grid.rowCount), false);
  Held held;
  qsizetype b, e, kb, ke, vb;
  for (size_t h = 0; h <= headers.size(); ++h) {
    const int column = h < headers.size() ? roles[h].column : -1;
    qsizetype inSection = 0;
    LineScanner lines = SectionLines(bytes, headers, h);
    while (lines.Next(&b, &e)) {
      if (!ParseKeyLine(d, b, e, &kb, &ke, &vb))
        continue;
      ++inSection;
      if (column < 0)
        continue;
      const int row = RowOfKey(QByteArrayView(d + kb, ke - kb), grid.rowCount);
      if (row < 0)
        continue;
      const size_t cell = size_t(row) * size_t(grid.columnCount) + size_t(column);
      if (found[cell])
        continue;
      found[cell] = true;
      grid.SetCellShared(column, row, CleanValue(d, vb, e));
    }
    held.keys += inSection;
    if (h < headers.size() && roles[h].columnSection)
      held.mostKeysInSection = std::max(held.mostKeysInSection, inSection);
  }
  return held;
}

// At least as many as the key lines of the file: every key line holds an "=" and is a line.
qsizetype MostKeys(const QByteArray& bytes) {
  const char* d = bytes.constData();
  const qsizetype size = bytes.size();
  qsizetype equals = 0;
  qsizetype lineEnds = 0;
  for (qsizetype i = 0; i < size; ++i) {
    equals += d[i] == '=';
    lineEnds += d[i] == '\n' || d[i] == '\r';
  }
  return std::min(equals, lineEnds + 1);
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
  bool hasSection = false;
  ForEachHeader(existing.constData(), existing.size(), 0, existing.size(), [&](const SectionPos&) {
    hasSection = true;
    return false;
  });
  if (!hasSection) {
    // Every section is new: the file keeps what it held and the sections follow.
    Layout layout(grid, false);
    if (existing.isEmpty())
      return layout.TakeBytes();
    QByteArray out;
    out.reserve(existing.size() + 2 + layout.Bytes().size());
    out += existing;
    if (!out.endsWith('\n') && !out.endsWith('\r'))
      out.append("\r\n", 2);
    out += layout.Bytes();
    return out;
  }
  const Layout layout(grid, true);
  std::vector<SectionWrite> writes;
  writes.reserve(grid.columnCount + 1);
  for (int c = 0; c < grid.columnCount; ++c)
    writes.emplace_back(layout, c);
  writes.emplace_back(QByteArray("xxx"), QList<QPair<QByteArray, QByteArray>>{
                                             {"col", QByteArray::number(grid.columnCount)},
                                             {"row", QByteArray::number(grid.rowCount)}});
  return WriteSections(existing, writes, layout.Bytes().size());
}

Grid ReadCompanion(const QByteArray& bytes) {
  std::vector<SectionPos> headers;
  ForEachHeader(bytes.constData(), bytes.size(), 0, bytes.size(), [&](const SectionPos& s) {
    headers.push_back(s);
    return true;
  });
  int rows = ReadCount(bytes, headers, "row");
  int columns = ReadCount(bytes, headers, "col");
  if (columns > kMaxGridColumns) {
    int columnSections = 0;
    for (const SectionPos& s : headers) {
      columnSections +=
          !IsCountSection(QByteArrayView(bytes.constData() + s.nameBegin, s.nameEnd - s.nameBegin));
    }
    columns = std::clamp(columnSections, 1, kMaxGridColumns);
  }
  // Rows beyond the keys the file holds are cut to the most keys of one column section, so
  // that a damaged or hostile file cannot make the grid grow without bound.
  const std::vector<SectionRole> roles = Roles(bytes, headers, columns);
  // A row count beyond what the file can hold is cut before any grid is made.
  if (rows > 1 && rows > MostKeys(bytes)) {
    const Held held = CountKeys(bytes, headers, roles);
    if (rows > held.keys)
      rows = int(std::max<qsizetype>(1, held.mostKeysInSection));
  }
  // The cells show the file's bytes, which the grid shares.
  Grid grid = Grid::Sized(columns, rows, 1, 1);
  grid.ShareBytes(bytes);
  const Held held = ReadCells(bytes, headers, roles, grid);
  if (rows > 1 && rows > held.keys) {
    // Fewer keys than rows after all: the rows are cut to the most keys of one column section.
    rows = int(std::max<qsizetype>(1, held.mostKeysInSection));
    grid = Grid::Sized(columns, rows, 1, 1);
    grid.ShareBytes(bytes);
    ReadCells(bytes, headers, roles, grid);
  }
  return grid;
}

}  // namespace reports
