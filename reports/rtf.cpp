#include "reports/rtf.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

#include "reports/cp1252text.h"
#include "store/cp1252.h"

namespace reports {
namespace {

// The longest escape of one UTF-16 unit: "\u-32768?".
constexpr qsizetype kMaxEscapeLength = 9;

char* PutHexByte(char* p, int byte) {
  static const char digits[] = "0123456789abcdef";
  *p++ = '\\';
  *p++ = '\'';
  *p++ = digits[(byte >> 4) & 0xF];
  *p++ = digits[byte & 0xF];
  return p;
}

char* PutText(char* p, const char* text) {
  while (*text)
    *p++ = *text++;
  return p;
}

// Appends text with RTF escapes, writing into the buffer directly: a report holds millions
// of characters.
void AppendEscaped(QByteArray& out, QStringView text) {
  const qsizetype start = out.size();
  const qsizetype room = start + text.size() * kMaxEscapeLength;
  if (out.capacity() < room)
    out.reserve(std::max(room, 2 * out.capacity()));
  out.resize(room);
  char* p = out.data() + start;
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u >= 0x20 && u < 0x7F) {
      if (u == '\\' || u == '{' || u == '}')
        *p++ = '\\';
      *p++ = char(u);
    } else if (u == '\t') {
      p = PutText(p, "\\tab ");
    } else if (const int byte = Cp1252Byte(u); byte >= 0) {
      p = PutHexByte(p, byte);
    } else {
      // \u takes a signed 16-bit number; "?" is the fallback of readers without Unicode.
      p = PutText(p, "\\u");
      const auto [end, error] = std::to_chars(p, p + 6, int(qint16(u)));
      Q_UNUSED(error);
      p = end;
      *p++ = '?';
    }
  }
  out.resize(p - out.constData());
}

// How each Windows-1252 byte is written: itself, or an escape of up to five bytes.
struct ByteEscapes {
  std::array<std::array<char, 6>, 256> text{};  // text[b][0] is the length
  ByteEscapes() {
    for (int b = 0; b < 256; ++b) {
      char buffer[kMaxEscapeLength];
      char* end = buffer;
      if (b >= 0x20 && b < 0x7F) {
        if (b == '\\' || b == '{' || b == '}')
          *end++ = '\\';
        *end++ = char(b);
      } else if (b == '\t') {
        end = PutText(end, "\\tab ");
      } else {
        end = PutHexByte(end, b);
      }
      text[b][0] = char(end - buffer);
      std::copy(buffer, end, text[b].begin() + 1);
    }
  }
};

const ByteEscapes& Escapes() {
  static const ByteEscapes escapes;
  return escapes;
}

constexpr qsizetype kMaxByteEscape = 5;

// True for a byte written as itself.
bool IsPlainByte(char c) {
  const uchar b = uchar(c);
  return b >= 0x20 && b < 0x7F && b != '\\' && b != '{' && b != '}';
}

// Writes bytes with their escapes at p, which has room for kMaxByteEscape bytes each; returns
// the end of what it wrote.
char* PutEscaped(char* p, QByteArrayView bytes) {
  const ByteEscapes& escapes = Escapes();
  const char* s = bytes.data();
  const char* const end = s + bytes.size();
  while (s < end) {
    while (s < end && IsPlainByte(*s))
      *p++ = *s++;
    if (s == end)
      break;
    const std::array<char, 6>& escape = escapes.text[uchar(*s++)];
    std::memcpy(p, escape.data() + 1, kMaxByteEscape);
    p += escape[0];
  }
  return p;
}

// Appends every line with its escapes, "\par" and a line break, into one buffer that
// grows only when escapes need more than a byte a character.
void AppendEscapedLines(QByteArray& out, const TextLines& lines) {
  static constexpr char kLineEnd[] = "\\par\r\n";
  constexpr qsizetype kLineEndLength = sizeof kLineEnd - 1;
  const qsizetype start = out.size();
  out.resize(start + lines.CharacterCount() + kLineEndLength * lines.Size() + 64);
  char* p = out.data() + start;
  char* limit = out.data() + out.size();
  for (qsizetype i = 0; i < lines.Size(); ++i) {
    const QByteArrayView line = lines.LineBytes(i);
    const qsizetype most = line.size() * kMaxByteEscape + kLineEndLength;
    if (limit - p < most) {
      const qsizetype used = p - out.constData();
      out.resize(std::max(2 * out.size(), used + most));
      p = out.data() + used;
      limit = out.data() + out.size();
    }
    p = PutEscaped(p, line);
    std::memcpy(p, kLineEnd, kLineEndLength);
    p += kLineEndLength;
  }
  out.resize(p - out.constData());
}

}  // namespace

QByteArray WriteRtf(const TextLines& lines, const QFont& font) {
  QByteArray out;
  // Room for the text as it mostly is (one byte a character) and the line ends; escapes make
  // the buffer grow, by doubling.
  out.reserve(256 + font.family().size() + lines.CharacterCount() + 8 * lines.Size());

  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
  out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 ");
  AppendEscaped(out, font.family());
  out.append(";}}\r\n\\viewkind4\\uc1\\pard\\f0\\fs");
  out.append(QByteArray::number(qRound(points * 2)));
  if (font.bold())
    out.append("\\b");
  if (font.italic())
    out.append("\\i");
  if (font.underline())
    out.append("\\ul");
  out.append(' ');
  if (lines.IsWide()) {
    for (qsizetype i = 0; i < lines.Size(); ++i) {
      AppendEscaped(out, lines.LineText(i));
      out.append("\\par\r\n", 6);
    }
  } else {
    AppendEscapedLines(out, lines);
  }
  out.append("}\r\n");
  return out;
}

QByteArray WriteRtf(const QStringList& lines, const QFont& font) {
  return WriteRtf(TextLines::FromList(lines), font);
}

namespace {

// Reads RTF without recursion: one state per open group on an explicit stack of bounded
// depth. Every access checks the end of the input.
class RtfTextReader {
 public:
  explicit RtfTextReader(const QByteArray& bytes) : data_(bytes.constData()), size_(bytes.size()) {}

  TextLines Run() {
    // The text is never longer than the bytes it is read from.
    lines_.Reserve(size_ / 32, size_);
    while (pos_ < size_ && !done_) {
      const char c = data_[pos_];
      if (c == '{') {
        ++pos_;
        OpenGroup();
      } else if (c == '}') {
        ++pos_;
        CloseGroup();
      } else if (c == '\\') {
        ++pos_;
        ControlSequence();
      } else if (c == '\r' || c == '\n' || c == '\0') {
        ++pos_;
      } else {
        PlainText();
      }
    }
    if (lines_.OpenLength() > 0)
      lines_.EndLine();
    return std::move(lines_);
  }

 private:
  // Deeper nesting than any word processor writes; a document beyond it ends there.
  static constexpr size_t kMaxDepth = 256;
  static constexpr int kMaxWordLength = 32;
  static constexpr int kMaxParamDigits = 10;

  struct Group {
    bool skip = false;  // a destination whose text is not part of the document
    int uc = 1;         // fallback characters after \uN
  };

  void OpenGroup() {
    if (stack_.size() >= kMaxDepth) {
      done_ = true;
      return;
    }
    stack_.push_back(group_);
    pendingSkip_ = 0;
  }

  void CloseGroup() {
    pendingSkip_ = 0;
    if (stack_.empty()) {
      done_ = true;
      return;
    }
    group_ = stack_.back();
    stack_.pop_back();
    if (stack_.empty())
      done_ = true;  // the document's own group has ended
  }

  // One look-up a byte: the runs of ordinary characters make up most of a report.
  static constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) {
      table[b] = b != '{' && b != '}' && b != '\\' && b != '\r' && b != '\n' && b != '\0';
    }
    return table;
  }();
  static bool IsPlain(char c) { return kPlain[uchar(c)]; }

  // A run of ordinary characters, converted in one go unless it is skipped.
  void PlainText() {
    if (pendingSkip_ > 0 || group_.skip) {
      TextByte(data_[pos_++]);
      return;
    }
    const qsizetype end = PlainEnd(pos_);
    lines_.AddBytes(QByteArrayView(data_ + pos_, end - pos_));
    pos_ = end;
  }

  // Where the run of ordinary characters from p ends.
  qsizetype PlainEnd(qsizetype p) const {
    while (p < size_ && IsPlain(data_[p]))
      ++p;
    return p;
  }

  void Text(QChar ch) {
    if (!Dropped())
      lines_.Add(ch);
  }

  void TextByte(char byte) {
    if (!Dropped())
      lines_.AddBytes(QByteArrayView(&byte, 1));
  }

  // True when the character at hand is not text: the fallback of a \uN still to be passed
  // over (which it uses up), or anything inside a skipped group.
  bool Dropped() {
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return true;
    }
    return group_.skip;
  }

  void EndLine() {
    pendingSkip_ = 0;
    if (group_.skip)
      return;
    lines_.EndLine();
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
      return c - 'A' + 10;
    return -1;
  }

  void ControlSequence() {
    if (pos_ >= size_)
      return;
    const char c = data_[pos_];
    if (IsLetter(c)) {
      ControlWord();
      return;
    }
    ++pos_;
    switch (c) {
      case '\'': {
        if (size_ - pos_ < 2) {
          pos_ = size_;
          return;
        }
        const int high = HexValue(data_[pos_]);
        const int low = HexValue(data_[pos_ + 1]);
        pos_ += 2;
        if (high >= 0 && low >= 0)
          TextByte(char(high * 16 + low));
        return;
      }
      case '*':
        group_.skip = true;
        return;
      case '\\':
      case '{':
      case '}':
        Text(QChar::fromLatin1(c));
        return;
      case '~':
        Text(QChar(0x00A0));
        return;
      case '_':
        Text(QLatin1Char('-'));
        return;
      case '\r':
      case '\n':
        EndLine();
        return;
      default:
        return;  // \- (optional hyphen), \| and unknown symbols carry no text
    }
  }

  void ControlWord() {
    const qsizetype start = pos_;
    while (pos_ < size_ && IsLetter(data_[pos_]))
      ++pos_;
    // No known word is longer; a longer one is read whole and matches nothing.
    const QByteArrayView name(data_ + start, std::min<qsizetype>(pos_ - start, kMaxWordLength));
    bool hasParam = false;
    bool negative = false;
    qint64 param = 0;
    if (pos_ < size_ && data_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    int digits = 0;
    while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
      if (digits < kMaxParamDigits)
        param = param * 10 + (data_[pos_] - '0');
      ++digits;
      ++pos_;
    }
    hasParam = digits > 0;
    if (negative)
      param = -param;
    if (pos_ < size_ && data_[pos_] == ' ')
      ++pos_;  // the delimiter belongs to the word

    switch (Word word = KnownWord(name); word.kind) {
      case WordKind::Binary: {
        // Binary data follows; it is skipped whole, never read as text.
        const qint64 length = hasParam && param > 0 ? param : 0;
        pos_ = length >= size_ - pos_ ? size_ : pos_ + length;
        return;
      }
      case WordKind::Destination:
        group_.skip = true;
        return;
      case WordKind::LineEnd:
        EndLine();
        return;
      case WordKind::FallbackCount:
        group_.uc = hasParam ? int(std::clamp<qint64>(param, 0, 16)) : 1;
        return;
      case WordKind::Unicode: {
        if (!hasParam)
          return;
        pendingSkip_ = 0;
        const qint64 code = param < 0 ? param + 65536 : param;
        if (code >= 0 && code <= 0xFFFF)
          Text(QChar(char16_t(code)));
        pendingSkip_ = group_.uc;
        return;
      }
      case WordKind::Character:
        Text(QChar(word.character));
        return;
      case WordKind::Other:
        return;
    }
  }

  enum class WordKind { Other, Binary, Destination, LineEnd, FallbackCount, Unicode, Character };
  struct Word {
    WordKind kind = WordKind::Other;
    char16_t character = 0;
  };

  // The control words that matter for the text, looked up in one step: a report has a \par
  // for every line.
  static Word KnownWord(QByteArrayView name) {
    if (name.size() == 3 && name[0] == 'p' && name[1] == 'a' && name[2] == 'r')
      return {WordKind::LineEnd};  // the word of every line, found without the table
    static const QHash<QByteArrayView, Word> words = [] {
      QHash<QByteArrayView, Word> table;
      for (const char* destination :
           {"fonttbl",    "colortbl",     "stylesheet", "info",      "pict",
            "header",     "headerl",      "headerr",    "headerf",   "footer",
            "footerl",    "footerr",      "footerf",    "listtable", "listoverridetable",
            "rsidtbl",    "generator",    "xmlnstbl",   "themedata", "colorschememapping",
            "datastore",  "latentstyles", "pgdsctbl",   "filetbl",   "revtbl",
            "object",     "objdata",      "fldinst",    "footnote",  "annotation",
            "atnid",      "atnauthor",    "author",     "operator",  "title",
            "subject",    "keywords",     "comment",    "doccomm",   "company",
            "nonshppict", "shppict",      "private",    "bkmkstart", "bkmkend",
            "txe",        "xe",           "tc",         "mmathPr",   "userprops",
            "panose"}) {
        table.insert(destination, {WordKind::Destination});
      }
      for (const char* lineEnd : {"par", "line", "row"})
        table.insert(lineEnd, {WordKind::LineEnd});
      table.insert("bin", {WordKind::Binary});
      table.insert("uc", {WordKind::FallbackCount});
      table.insert("u", {WordKind::Unicode});
      const std::pair<const char*, char16_t> characters[] = {
          {"tab", u'\t'},        {"cell", u'\t'},    {"emdash", 0x2014}, {"endash", 0x2013},
          {"bullet", 0x2022},    {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C},
          {"rdblquote", 0x201D}, {"emspace", u' '},  {"enspace", u' '},  {"qmspace", u' '}};
      for (const auto& [word, character] : characters) {
        table.insert(word, {WordKind::Character, character});
      }
      return table;
    }();
    return words.value(name);
  }

  const char* data_;
  qsizetype size_;
  qsizetype pos_ = 0;
  bool done_ = false;
  Group group_;
  std::vector<Group> stack_;
  int pendingSkip_ = 0;
  TextLines lines_;  // the line being read is the open one
};

}  // namespace

TextLines ReadPlainText(const QByteArray& bytes) {
  TextLines lines;
  const char* d = bytes.constData();
  const qsizetype size = bytes.size();
  lines.Reserve(size / 32, size);
  qsizetype start = 0;
  for (qsizetype i = 0; i < size; ++i) {
    const char c = d[i];
    if (c != '\r' && c != '\n')
      continue;
    lines.AddBytes(QByteArrayView(d + start, i - start));
    lines.EndLine();
    if (c == '\r' && i + 1 < size && d[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < size) {
    lines.AddBytes(QByteArrayView(d + start, size - start));
    lines.EndLine();
  }
  return lines;
}

TextLines ReadRtfText(const QByteArray& bytes) {
  if (!bytes.startsWith("{\\rtf"))
    return ReadPlainText(bytes);
  return RtfTextReader(bytes).Run();
}

QStringList ReadPlainTextLines(const QByteArray& bytes) {
  return ReadPlainText(bytes).ToStringList();
}

QStringList ReadRtfLines(const QByteArray& bytes) {
  return ReadRtfText(bytes).ToStringList();
}

}  // namespace reports
