#include "reports/textlines.h"

namespace reports {

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

QStringList TextLines::ToStringList() const {
  QStringList lines;
  lines.reserve(Size());
  for (qsizetype i = 0; i < Size(); ++i)
    lines.append(Line(i).toString());
  return lines;
}

void TextLines::Reserve(qsizetype lines, qsizetype characters) {
  ends_.reserve(ends_.size() + size_t(lines));
  text_.reserve(text_.size() + characters);
}

void TextLines::Append(const TextLines& other) {
  // Characters still open in this buffer become part of other's first line.
  const qsizetype shift = text_.size();
  text_.append(other.text_);
  ends_.reserve(ends_.size() + other.ends_.size());
  for (qsizetype end : other.ends_)
    ends_.push_back(shift + end);
}

QChar* TextLines::Grow(qsizetype n) {
  const qsizetype start = text_.size();
  if (text_.capacity() < start + n)
    text_.reserve(std::max(start + n, 2 * text_.capacity()));
  text_.resize(start + n);
  return text_.data() + start;
}

}  // namespace reports
