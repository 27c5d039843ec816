#include "reports/textlines.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "reports/cp1252text.h"
#include "store/cp1252.h"

namespace reports {
namespace {

// Line ends are kept in 32 bits; a text beyond that is more than memory holds anyway.
void CheckLength(qsizetype length) {
  if (length > qsizetype(0xFFFFFFFFu))
    throw std::bad_alloc();
}

}  // namespace

TextLines TextLines::FromList(const QStringList& lines) {
  TextLines result;
  qsizetype characters = 0;
  for (const QString& line : lines)
    characters += line.size();
  result.Reserve(lines.size(), characters);
  for (const QString& line : lines)
    result.AppendLine(line);
  return result;
}

QString TextLines::Line(qsizetype i) const {
  return wide_ ? LineText(i).toString() : store::FromCp1252(LineBytes(i));
}

QStringList TextLines::ToStringList() const {
  QStringList lines;
  lines.reserve(Size());
  for (qsizetype i = 0; i < Size(); ++i)
    lines.append(Line(i));
  return lines;
}

void TextLines::ParagraphsText(qsizetype first, qsizetype count, qsizetype linesPerParagraph,
                               QString& text) const {
  const qsizetype last = first + count - 1;
  const auto separator = [&](qsizetype i) {
    return QChar((i - first) % linesPerParagraph == 0 ? QChar::ParagraphSeparator
                                                      : QChar::LineSeparator);
  };
  text.resize(End(last) - Begin(first) + count - 1);
  QChar* out = text.data();
  if (wide_) {
    for (qsizetype i = first; i <= last; ++i) {
      if (i > first)
        *out++ = separator(i);
      const QStringView line = LineText(i);
      out = std::copy(line.begin(), line.end(), out);
    }
    return;
  }
  // A line is widened in whole eights of bytes, its last eight reaching on into the next
  // line's bytes: what they write past the line's end, the separator and the next line write
  // over. No byte after the last line is read, so nothing is written past the text's end.
  for (qsizetype i = first; i <= last; ++i) {
    if (i > first)
      *out++ = separator(i);
    const qsizetype n = End(i) - Begin(i);
    const qsizetype widened = std::min((n + 7) / 8 * 8, End(last) - Begin(i));
    WidenCp1252(QByteArrayView(narrow_.constData() + Begin(i), widened), out);
    out += n;
  }
}

void TextLines::Reserve(qsizetype lines, qsizetype characters) {
  ends_.reserve(ends_.size() + size_t(lines));
  if (wide_) {
    if (used_ + characters > wideText_.size())
      wideText_.resize(used_ + characters);
  } else if (used_ + characters > narrow_.size()) {
    narrow_.resize(used_ + characters);
  }
}

void TextLines::EnlargeNarrow(qsizetype atLeast) {
  narrow_.resize(std::max(atLeast, 2 * narrow_.size()));
}

void TextLines::TooLong() {
  throw std::bad_alloc();
}

QChar* TextLines::GrowWide(qsizetype n) {
  if (used_ + n > wideText_.size())
    wideText_.resize(std::max(used_ + n, 2 * wideText_.size()));
  QChar* room = wideText_.data() + used_;
  used_ += n;
  return room;
}

void TextLines::MakeWide() {
  wideText_.resize(std::max<qsizetype>(narrow_.size(), used_ + 16));
  WidenCp1252(QByteArrayView(narrow_.constData(), used_), wideText_.data());
  narrow_ = QByteArray();
  wide_ = true;
}

void TextLines::Add(QStringView piece) {
  if (!wide_) {
    // Converted in the same pass that checks it: the first character without a byte gives
    // the room back and turns the buffer wide.
    const qsizetype n = piece.size();
    const char16_t* in = piece.utf16();
    char* out = GrowNarrow(n);
    qsizetype i = 0;
    for (; i < n; ++i) {
      const char16_t c = in[i];
      // Latin-1 characters but the C1 controls have the byte of their own number.
      if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
        out[i] = char(c);
        continue;
      }
      const int byte = Cp1252Byte(c);
      if (byte < 0)
        break;
      out[i] = char(byte);
    }
    if (i == n)
      return;
    used_ -= n;
    MakeWide();
  }
  std::copy(piece.begin(), piece.end(), GrowWide(piece.size()));
}

void TextLines::Add(QChar ch) {
  if (!wide_) {
    const int byte = Cp1252Byte(ch.unicode());
    if (byte >= 0) {
      *GrowNarrow(1) = char(byte);
      return;
    }
    MakeWide();
  }
  *GrowWide(1) = ch;
}

void TextLines::AddBytesWide(QByteArrayView bytes) {
  WidenCp1252(bytes, GrowWide(bytes.size()));
}

void TextLines::Append(const TextLines& other) {
  if (&other == this) {
    Append(TextLines(other));
    return;
  }
  // Characters still open in this buffer become part of other's first line.
  const qsizetype shift = used_;
  if (other.wide_) {
    Add(QStringView(other.wideText_.constData(), other.used_));
    if (!wide_)
      MakeWide();
  } else {
    AddBytes(QByteArrayView(other.narrow_.constData(), other.used_));
  }
  CheckLength(used_);
  ends_.reserve(ends_.size() + other.ends_.size());
  for (quint32 end : other.ends_)
    ends_.push_back(quint32(shift + end));
}

bool operator==(const TextLines& a, const TextLines& b) {
  if (a.ends_ != b.ends_)
    return false;
  if (a.wide_ == b.wide_) {
    return a.wide_ ? QStringView(a.wideText_.constData(), a.used_) ==
                         QStringView(b.wideText_.constData(), b.used_)
                   : QByteArrayView(a.narrow_.constData(), a.used_) ==
                         QByteArrayView(b.narrow_.constData(), b.used_);
  }
  // The wide one holds a character that the other cannot; compared as texts all the same.
  const TextLines& narrow = a.wide_ ? b : a;
  const TextLines& wide = a.wide_ ? a : b;
  return store::FromCp1252(QByteArrayView(narrow.narrow_.constData(), narrow.used_)) ==
         QStringView(wide.wideText_.constData(), wide.used_);
}

}  // namespace reports
