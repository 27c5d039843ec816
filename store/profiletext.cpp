#include "store/profiletext.h"

#include <QSet>
#include <vector>

#include "store/cp1252.h"
#include "store/profilescan.h"

namespace store {

namespace {

using namespace profile;

// Bytes to write for a name or value: a line break would split the line and could even
// start a section, so it is written as a blank.
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

// The lines of a section body [begin, end) of the text. A line without "=" (left by damage)
// names the key it holds: writing that key replaces the line, as the platform's service does.
std::vector<BodyLine> SplitBody(const Text& text, qsizetype begin, qsizetype end) {
  std::vector<BodyLine> body;
  const char* d = text.data;
  LineScanner lines(d, end, begin);
  qsizetype b, e, kb, ke, vb;
  while (lines.Next(&b, &e)) {
    BodyLine line;
    line.text = QByteArray(d + b, e - b);
    line.eol = QByteArray(d + e, lines.Pos() - e);
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb)) {
      line.isKey = true;
      line.key = QByteArray(d + kb, ke - kb);
    } else {
      const QByteArray trimmed = line.text.trimmed();
      line.isKey = !trimmed.isEmpty() && !trimmed.startsWith(';');
      line.key = trimmed;
    }
    body.push_back(std::move(line));
  }
  return body;
}

}  // namespace

ProfileText::ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {}

QString ProfileText::Read(QStringView section, QStringView key, const QString& defaultValue) const {
  const Text text = TextOf(bytes_);
  const SectionPos s = FindSection(text.data, text.size, EncodeName(section, text.utf8));
  QByteArrayView raw;
  if (s.headerBegin < 0 ||
      !FindKey(text.data, text.size, s.bodyBegin, EncodeName(key, text.utf8), &raw)) {
    return defaultValue;
  }
  return Decode(CleanValue(raw.data(), 0, raw.size()), text.utf8);
}

bool ProfileText::HasSection(QStringView section) const {
  const Text text = TextOf(bytes_);
  return FindSection(text.data, text.size, EncodeName(section, text.utf8)).headerBegin >= 0;
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
  const Text text = TextOf(bytes_);
  const QByteArray name = LineSafe(EncodeName(section, text.utf8));
  const SectionPos s = FindSection(text.data, text.size, name);
  SectionChange change;
  std::vector<BodyLine> body;
  QByteArray headerEol;
  if (s.headerBegin < 0) {
    // A new section goes at the end of the file, without a blank line before it.
    change.begin = change.end = bytes_.size();
    if (text.size > 0 && !bytes_.endsWith('\n') && !bytes_.endsWith('\r'))
      change.bytes += "\r\n";
    change.bytes += '[' + name + ']';
    headerEol = "\r\n";
  } else {
    // The header line's text stays; its line end and the body are written anew.
    change.existed = true;
    const qsizetype end = SectionEnd(text.data, text.size, s.bodyBegin);
    change.begin = text.offset + s.headerLineEnd;
    change.end = text.offset + end;
    body = SplitBody(text, s.bodyBegin, end);
    headerEol = QByteArray(text.data + s.headerLineEnd, s.bodyBegin - s.headerLineEnd);
  }

  for (const auto& kv : keyValues) {
    const QByteArray key = LineSafe(EncodeName(kv.first, text.utf8));
    QByteArray value = LineSafe(Encode(kv.second, text.utf8));
    if (NeedsQuotes(kv.second))
      value = '"' + value + '"';
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
  const Text text = TextOf(bytes_);
  const SectionPos s = FindSection(text.data, text.size, EncodeName(section, text.utf8));
  if (s.headerBegin < 0)
    return;
  const qsizetype end = SectionEnd(text.data, text.size, s.bodyBegin);
  bytes_.remove(text.offset + s.headerBegin, end - s.headerBegin);
}

void ProfileText::EraseEverySectionOf(const QStringList& sections) {
  if (sections.isEmpty())
    return;
  const Text text = TextOf(bytes_);
  // Names compared as FindSection compares them: letter case ignored, blanks at the ends
  // dropped.
  QSet<QByteArray> names;
  names.reserve(sections.size());
  for (const QString& section : sections)
    names.insert(FoldCase(EncodeName(section, text.utf8)));
  QByteArray kept;
  qsizetype from = 0;      // in the text: the bytes from here on are not copied yet
  qsizetype erasing = -1;  // where the section being erased starts, or -1
  auto keepUpTo = [&](qsizetype end) {
    if (kept.isNull()) {
      kept.reserve(bytes_.size());
      kept.append(bytes_.constData(), text.offset);
    }
    kept.append(text.data + from, end - from);
  };
  ForEachHeader(text.data, text.size, 0, text.size, [&](const SectionPos& s) {
    // A section ends where the next header starts.
    if (erasing >= 0) {
      from = s.headerBegin;
      erasing = -1;
    }
    const QByteArrayView name(text.data + s.nameBegin, s.nameEnd - s.nameBegin);
    if (names.contains(FoldCase(name))) {
      keepUpTo(s.headerBegin);
      erasing = s.headerBegin;
    }
    return true;
  });
  if (kept.isNull())
    return;
  if (erasing < 0)
    kept.append(text.data + from, text.size - from);
  bytes_ = std::move(kept);
}

}  // namespace store
