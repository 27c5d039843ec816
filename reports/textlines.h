#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace reports {

// Many lines of text held in one buffer with the end of every line: a report of 100 000
// records has about two million lines, and one string each would cost an allocation each.
// Lines are appended whole (AppendLine) or in pieces (Add, Grow, then EndLine).
class TextLines {
 public:
  TextLines() = default;
  static TextLines FromList(const QStringList& lines);

  qsizetype Size() const { return qsizetype(ends_.size()); }
  bool IsEmpty() const { return ends_.empty(); }
  // Line i; valid until the next change.
  QStringView Line(qsizetype i) const {
    const qsizetype begin = i > 0 ? ends_[i - 1] : 0;
    return QStringView(text_.constData() + begin, ends_[i] - begin);
  }
  // All lines back to back, without anything between them.
  const QString& Joined() const { return text_; }
  QStringList ToStringList() const;

  void Reserve(qsizetype lines, qsizetype characters);
  void AppendLine(QStringView line) {
    Add(line);
    EndLine();
  }
  void Append(const TextLines& other);

  // The line being built: pieces are added until EndLine closes it.
  void Add(QStringView piece) { text_.append(piece); }
  // Room for n more characters of the line being built, to be written by the caller.
  QChar* Grow(qsizetype n);
  // Gives back the last n characters of the line being built (written short of Grow's room).
  void Shrink(qsizetype n) { text_.truncate(text_.size() - n); }
  void EndLine() { ends_.push_back(text_.size()); }
  // The characters added since the last EndLine.
  qsizetype OpenLength() const { return text_.size() - (ends_.empty() ? 0 : ends_.back()); }

  friend bool operator==(const TextLines& a, const TextLines& b) {
    return a.ends_ == b.ends_ && a.text_ == b.text_;
  }
  friend bool operator!=(const TextLines& a, const TextLines& b) { return !(a == b); }

 private:
  QString text_;
  std::vector<qsizetype> ends_;
};

}  // namespace reports
