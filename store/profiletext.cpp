#include "store/profiletext.h"

#include <QSet>
#include <cstring>
#include <vector>

#include "store/cp1252.h"
#include "store/profilescan.h"

namespace store {
namespace profile {

QByteArray CallerName(QStringView name) {
  return ToCp1252(TrimSpaces(name));
}

namespace {

// The header whose "[" is at open, if it is one.
SectionPos HeaderAtBracket(const char* d, qsizetype size, qsizetype open) {
  SectionPos s;
  LineScanner line(d, size, open);
  qsizetype b = open;
  qsizetype e = open;
  line.Next(&b, &e);
  if (!ParseHeader(d, open, e, &s.nameBegin, &s.nameEnd))
    return s;
  s.headerBegin = open;
  while (s.headerBegin > 0 && IsBlank(d[s.headerBegin - 1]))
    --s.headerBegin;
  s.open = open;
  s.headerLineEnd = e;
  s.bodyBegin = line.Pos();
  return s;
}

// True when the header at open could name `name`: after "[" and blanks come the name's bytes
// (ignoring letter case), blanks and "]". Most headers differ in their first letters.
bool HeaderStartsWith(const char* d, qsizetype size, qsizetype open, QByteArrayView name) {
  qsizetype q = open + 1;
  while (q < size && IsBlank(d[q]))
    ++q;
  if (size - q < name.size())
    return false;
  const auto* x = reinterpret_cast<const unsigned char*>(d + q);
  const auto* y = reinterpret_cast<const unsigned char*>(name.data());
  for (qsizetype k = 0; k < name.size(); ++k) {
    if (x[k] != y[k] && FoldByte(x[k]) != FoldByte(y[k]))
      return false;
  }
  q += name.size();
  while (q < size && IsBlank(d[q]))
    ++q;
  return q < size && d[q] == ']';
}

}  // namespace

SectionPos FindSection(QByteArrayView bytes, QByteArrayView name, qsizetype from) {
  const char* d = bytes.data();
  const qsizetype size = bytes.size();
  // A name with blanks at its ends, or with a "]", is checked by the full header parse.
  const bool plain =
      !name.isEmpty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !name.contains(']');
  qsizetype pos = from;
  while (pos < size) {
    const void* hit = std::memchr(d + pos, '[', size - pos);
    if (!hit)
      break;
    const qsizetype open = static_cast<const char*>(hit) - d;
    pos = open + 1;
    if (plain && !HeaderStartsWith(d, size, open, name))
      continue;
    if (!AtLineStart(d, open))
      continue;
    const SectionPos s = HeaderAtBracket(d, size, open);
    if (s.headerBegin < 0)
      continue;
    if (EqualIgnoringCase(QByteArrayView(d + s.nameBegin, s.nameEnd - s.nameBegin), name)) {
      return s;
    }
  }
  return SectionPos();
}

qsizetype SectionEnd(QByteArrayView bytes, qsizetype bodyBegin) {
  qsizetype end = bytes.size();
  ForEachHeader(bytes.data(), bytes.size(), bodyBegin, [&](const SectionPos& s) {
    end = s.headerBegin;
    return false;
  });
  return end;
}

bool FindKey(QByteArrayView bytes, qsizetype bodyBegin, QByteArrayView name,
             QByteArrayView* value) {
  const char* d = bytes.data();
  LineScanner lines(d, bytes.size(), bodyBegin);
  qsizetype b, e, kb, ke, vb, nb, ne;
  while (lines.Next(&b, &e)) {
    if (ParseHeader(d, b, e, &nb, &ne))
      return false;
    if (!ParseKeyLine(d, b, e, &kb, &ke, &vb))
      continue;
    if (EqualIgnoringCase(QByteArrayView(d + kb, ke - kb), name)) {
      *value = QByteArrayView(d + vb, e - vb);
      return true;
    }
  }
  return false;
}

}  // namespace profile

namespace {

using namespace profile;

// Bytes to write for a name or value: Windows-1252; a line break would split the line and
// could even start a section, so it is written as a blank.
QByteArray LineSafe(QByteArray bytes) {
  for (char& c : bytes) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  return bytes;
}

struct BodyLine {
  QByteArray text;
  QByteArray eol;
  bool isKey = false;
  QByteArray key;  // as spelled in the file
};

bool IsBlankLine(const QByteArray& text) {
  for (char c : text) {
    if (!IsBlank(c))
      return false;
  }
  return true;
}

std::vector<BodyLine> SplitBody(QByteArrayView bytes, qsizetype begin, qsizetype end) {
  std::vector<BodyLine> body;
  const char* d = bytes.data();
  LineScanner lines(d, end, begin);
  qsizetype b, e, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    BodyLine line;
    line.text = QByteArray(d + b, e - b);
    line.eol = QByteArray(d + e, (lines.Pos() < end ? lines.Pos() : end) - e);
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      line.isKey = true;
      line.key = QByteArray(d + kb, ke - kb);
    }
    body.push_back(std::move(line));
  }
  return body;
}

}  // namespace

ProfileText::ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {}

QString ProfileText::Read(QStringView section, QStringView key, const QString& defaultValue) const {
  const SectionPos s = FindSection(bytes_, CallerName(section));
  if (s.headerBegin < 0)
    return defaultValue;
  QByteArrayView raw;
  if (!FindKey(bytes_, s.bodyBegin, CallerName(key), &raw))
    return defaultValue;
  const QByteArrayView value = CleanValue(raw.data(), 0, raw.size());
  return FromCp1252(value);
}

bool ProfileText::HasSection(QStringView section) const {
  return FindSection(bytes_, CallerName(section)).headerBegin >= 0;
}

QStringList ProfileText::SectionNames() const {
  QStringList names;
  QSet<QByteArray> seen;
  const char* d = bytes_.constData();
  ForEachHeader(d, bytes_.size(), 0, [&](const SectionPos& s) {
    const QByteArrayView name(d + s.nameBegin, s.nameEnd - s.nameBegin);
    const QByteArray folded = FoldCase(name);
    if (!seen.contains(folded)) {
      seen.insert(folded);
      names.append(FromCp1252(name));
    }
    return true;
  });
  return names;
}

void ProfileText::Write(QStringView section, QStringView key, QStringView value) {
  WriteSection(section, {{key.toString(), value.toString()}});
}

void ProfileText::WriteSection(QStringView section,
                               const QList<QPair<QString, QString>>& keyValues) {
  const SectionChange change = PlanSection(section, keyValues);
  bytes_.replace(change.begin, change.end - change.begin, change.bytes);
}

ProfileText::SectionChange ProfileText::PlanSection(
    QStringView section, const QList<QPair<QString, QString>>& keyValues) const {
  const QByteArray name = LineSafe(CallerName(section));
  const SectionPos s = FindSection(bytes_, name);
  SectionChange change;
  std::vector<BodyLine> body;
  QByteArray headerEol;
  if (s.headerBegin < 0) {
    // A new section goes at the end of the file, without a blank line before it.
    change.begin = change.end = bytes_.size();
    if (!bytes_.isEmpty() && !bytes_.endsWith('\n') && !bytes_.endsWith('\r'))
      change.bytes += "\r\n";
    change.bytes += '[' + name + ']';
    headerEol = "\r\n";
  } else {
    // The header line's text stays; its line end and the body are written anew.
    change.begin = s.headerLineEnd;
    change.end = SectionEnd(bytes_, s.bodyBegin);
    body = SplitBody(bytes_, s.bodyBegin, change.end);
    headerEol = bytes_.mid(s.headerLineEnd, s.bodyBegin - s.headerLineEnd);
  }

  for (const auto& kv : keyValues) {
    const QByteArray key = LineSafe(CallerName(kv.first));
    const QByteArray value = LineSafe(ToCp1252(kv.second));
    bool replaced = false;
    for (BodyLine& line : body) {
      if (line.isKey && EqualIgnoringCase(line.key, key)) {
        // In place, keeping the key's spelling in the file.
        line.text = line.key + '=' + value;
        line.eol = "\r\n";
        replaced = true;
        break;
      }
    }
    if (replaced)
      continue;
    // A new key goes after the last line of its section that is not blank, so blank lines
    // that separate it from the next section stay between them.
    size_t at = body.size();
    while (at > 0 && IsBlankLine(body[at - 1].text))
      --at;
    if (at > 0 && body[at - 1].eol.isEmpty())
      body[at - 1].eol = "\r\n";
    if (at == 0 && headerEol.isEmpty())
      headerEol = "\r\n";
    BodyLine line;
    line.text = key + '=' + value;
    line.eol = "\r\n";
    line.isKey = true;
    line.key = key;
    body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  }

  change.bytes += headerEol;
  for (const BodyLine& line : body) {
    change.bytes += line.text;
    change.bytes += line.eol;
  }
  return change;
}

void ProfileText::EraseSection(QStringView section) {
  const SectionPos s = FindSection(bytes_, CallerName(section));
  if (s.headerBegin < 0)
    return;
  const qsizetype end = SectionEnd(bytes_, s.bodyBegin);
  bytes_.remove(s.headerBegin, end - s.headerBegin);
}

}  // namespace store
