#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

#include "reports/cp1252text.h"

namespace reports {

// Many lines of text held in one buffer with the end of every line: a report of 100 000
// records has about two million lines, and one string each would cost an allocation each.
//
// The buffer holds Windows-1252 bytes, one a character, as long as every character has a
// byte (report texts are made of the store's values, which always have), which halves the
// memory and makes the report files' bytes a copy. The first character without a byte turns
// the whole buffer into UTF-16, so any text is kept exactly.
//
// Lines are appended whole (AppendLine) or in pieces (Add, AddBytes, then EndLine).
class TextLines {
 public:
  TextLines() = default;
  static TextLines FromList(const QStringList& lines);

  qsizetype Size() const { return qsizetype(ends_.size()); }
  bool IsEmpty() const { return ends_.empty(); }
  // The characters of all lines together.
  qsizetype CharacterCount() const { return used_; }
  QString Line(qsizetype i) const;
  QStringList ToStringList() const;
  // Lines first to first + count as one text, into text, as a text document takes paragraphs:
  // every linesPerParagraph lines a paragraph, divided by paragraph separators, and its lines
  // divided by line separators.
  void ParagraphsText(qsizetype first, qsizetype count, qsizetype linesPerParagraph,
                      QString& text) const;

  // True once a character without a Windows-1252 byte was added.
  bool IsWide() const { return wide_; }
  // Line i as Windows-1252 bytes (while not wide) or as UTF-16 (once wide).
  QByteArrayView LineBytes(qsizetype i) const {
    return QByteArrayView(narrow_.constData() + Begin(i), End(i) - Begin(i));
  }
  QStringView LineText(qsizetype i) const {
    return QStringView(wideText_.constData() + Begin(i), End(i) - Begin(i));
  }

  void Reserve(qsizetype lines, qsizetype characters);
  void AppendLine(QStringView line) {
    Add(line);
    EndLine();
  }
  void Append(const TextLines& other);

  // The line being built: pieces are added until EndLine closes it.
  void Add(QStringView piece);
  void Add(QChar ch);
  // Windows-1252 bytes, one character each.
  void AddBytes(QByteArrayView bytes) {
    if (wide_)
      AddBytesWide(bytes);
    else
      CopyBytes(GrowNarrow(bytes.size()), bytes.data(), bytes.size());
  }
  void EndLine() {
    if (used_ > qsizetype(0xFFFFFFFFu))
      TooLong();
    ends_.push_back(quint32(used_));
  }
  // The characters added since the last EndLine.
  qsizetype OpenLength() const { return used_ - (ends_.empty() ? 0 : ends_.back()); }

  friend bool operator==(const TextLines& a, const TextLines& b);
  friend bool operator!=(const TextLines& a, const TextLines& b) { return !(a == b); }

 private:
  qsizetype Begin(qsizetype i) const { return i > 0 ? qsizetype(ends_[i - 1]) : 0; }
  qsizetype End(qsizetype i) const { return qsizetype(ends_[i]); }
  char* GrowNarrow(qsizetype n) {
    if (used_ + n > narrow_.size())
      EnlargeNarrow(used_ + n);
    char* room = narrow_.data() + used_;
    used_ += n;
    return room;
  }
  void EnlargeNarrow(qsizetype atLeast);
  void AddBytesWide(QByteArrayView bytes);
  [[noreturn]] static void TooLong();
  QChar* GrowWide(qsizetype n);
  void MakeWide();

  bool wide_ = false;
  // The characters are the first used_ of narrow_ (or wideText_ once wide); the rest is room.
  QByteArray narrow_;
  QString wideText_;
  qsizetype used_ = 0;
  std::vector<quint32> ends_;
};

}  // namespace reports
