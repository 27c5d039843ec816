#include "reports/companion.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <algorithm>
#include <vector>

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

// A value as the profile service writes it: Windows-1252, a line break written as a blank
// so that it cannot split the line or start a section.
QByteArray LineSafe(QByteArray bytes) {
  for (char& c : bytes) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  return bytes;
}

bool IsBlankLine(QByteArrayView text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(c); });
}

struct BodyLine {
  QByteArrayView text;
  QByteArrayView eol;
  QByteArrayView key;  // as spelled in the file; empty for a line that is no key line
  QByteArray replacement;
  bool replaced = false;
};

using KeyValues = QList<QPair<QByteArray, QByteArray>>;

// Writes the keys of one section into bytes with the profile service's rules (a value replaced
// in place keeping the key's spelling, a new key after the last non-blank line of its section,
// a new section at the end of the file without a blank line before it), in one pass over
// the section: the keys already in it are looked up in a hash. The keys given are distinct.
void WriteSection(QByteArray& bytes, const QByteArray& name, const KeyValues& keyValues) {
  SectionPos s = FindSection(bytes, name);
  if (s.headerBegin < 0) {
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
      bytes += "\r\n";
    s.headerBegin = bytes.size();
    bytes += '[' + name + "]\r\n";
    s.headerLineEnd = bytes.size() - 2;
    s.bodyBegin = bytes.size();
  }
  const qsizetype sectionEnd = SectionEnd(bytes, s.bodyBegin);
  const char* d = bytes.constData();

  std::vector<BodyLine> body;
  QHash<QByteArray, size_t> keyLines;  // folded key -> its first line
  LineScanner lines(d, sectionEnd, s.bodyBegin);
  qsizetype b, e, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    BodyLine line;
    line.text = QByteArrayView(d + b, e - b);
    line.eol = QByteArrayView(d + e, std::min(lines.Pos(), sectionEnd) - e);
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      line.key = QByteArrayView(d + kb, ke - kb);
      // The first line of a key is the one the service finds and replaces.
      const QByteArray folded = store::FoldCase(line.key);
      if (!keyLines.contains(folded))
        keyLines.insert(folded, body.size());
    }
    body.push_back(line);
  }

  QByteArray headerEol(d + s.headerLineEnd, s.bodyBegin - s.headerLineEnd);
  size_t at = body.size();
  while (at > 0 && IsBlankLine(body[at - 1].text))
    --at;

  QByteArray added;
  for (const auto& [key, value] : keyValues) {
    const auto it = keyLines.constFind(store::FoldCase(key));
    if (it != keyLines.constEnd()) {
      BodyLine& line = body[*it];
      line.replacement = line.key.toByteArray() + '=' + value + "\r\n";
      line.replaced = true;
      continue;
    }
    added += key + '=' + value + "\r\n";
  }
  if (!added.isEmpty()) {
    if (at > 0 && body[at - 1].eol.isEmpty() && !body[at - 1].replaced) {
      body[at - 1].replacement = body[at - 1].text.toByteArray() + "\r\n";
      body[at - 1].replaced = true;
    }
    if (at == 0 && headerEol.isEmpty())
      headerEol = "\r\n";
  }

  QByteArray out;
  out.reserve(bytes.size() + added.size() + 64);
  out.append(d, s.headerLineEnd);
  out += headerEol;
  for (size_t i = 0; i < body.size(); ++i) {
    if (i == at)
      out += added;
    const BodyLine& line = body[i];
    if (line.replaced) {
      out += line.replacement;
    } else {
      out += line.text;
      out += line.eol;
    }
  }
  if (at == body.size())
    out += added;
  out.append(d + sectionEnd, bytes.size() - sectionEnd);
  bytes = std::move(out);
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
  QByteArray bytes = existing;
  for (int c = 0; c < grid.columnCount; ++c) {
    KeyValues keyValues;
    keyValues.reserve(grid.rowCount);
    for (int r = 0; r < grid.rowCount; ++r) {
      keyValues.append({QByteArray::number(r), LineSafe(store::ToCp1252(grid.Cell(c, r)))});
    }
    WriteSection(bytes, QByteArray::number(c), keyValues);
  }
  WriteSection(
      bytes, "xxx",
      {{"col", QByteArray::number(grid.columnCount)}, {"row", QByteArray::number(grid.rowCount)}});
  return bytes;
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
