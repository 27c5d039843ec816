#include "mainwindow/linesource.h"

#include <QIODevice>
#include <cstring>

namespace mainwindow {
namespace {

constexpr qsizetype kBlock = 1 << 20;

// The first CR or LF in [from, end), or end.
qsizetype FindLineEnd(const char* d, qsizetype from, qsizetype end) {
  for (qsizetype i = from; i < end; ++i) {
    if (d[i] == '\n' || d[i] == '\r')
      return i;
  }
  return end;
}

}  // namespace

LineSource::LineSource(QIODevice* in, qsizetype maxLine) : in_(in), maxLine_(maxLine) {}

bool LineSource::Fill() {
  if (eof_)
    return false;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.constData() + pos_, size_t(end_ - pos_));
    end_ -= pos_;
    pos_ = 0;
  }
  // A block, or what is left of a smaller file (and one byte to see its end).
  qint64 block = kBlock;
  if (!in_->isSequential())
    block = qBound<qint64>(1, in_->size() - in_->pos() + 1, kBlock);
  if (buffer_.size() - end_ < block)
    buffer_.resize(end_ + block);
  const qint64 n = in_->read(buffer_.data() + end_, buffer_.size() - end_);
  if (n <= 0) {
    failed_ = n < 0;
    eof_ = true;
    return false;
  }
  end_ += n;
  return true;
}

bool LineSource::Scan() {
  for (;;) {
    const char* d = buffer_.constData();
    const qsizetype i = FindLineEnd(d, pos_, end_);
    if (i < end_) {
      // A CR at the end of what was read may be the first half of a CR LF.
      if (d[i] == '\r' && i + 1 == end_ && !eof_) {
        Fill();  // moves the unread bytes to the front: search again
        continue;
      }
      lineCut_ = i - pos_ > maxLine_;
      line_ = QByteArrayView(d + pos_, lineCut_ ? maxLine_ : i - pos_);
      qsizetype next = i + 1;
      if (d[i] == '\r' && next < end_ && d[next] == '\n')
        ++next;
      consumed_ += next - pos_;
      pos_ = next;
      return true;
    }
    if (end_ - pos_ > maxLine_) {
      // The line goes on beyond what is kept of it: keep its start, skip the rest.
      cutLine_ = QByteArray(d + pos_, maxLine_);
      consumed_ += end_ - pos_;
      pos_ = end_;
      while (Fill()) {
        const char* b = buffer_.constData();
        const qsizetype e = FindLineEnd(b, pos_, end_);
        if (e == end_) {
          consumed_ += end_ - pos_;
          pos_ = end_;
          continue;
        }
        consumed_ += e - pos_;
        pos_ = e;
        if (b[e] == '\r' && e + 1 == end_ && !eof_) {
          Fill();  // the CR moves to the front
          b = buffer_.constData();
        }
        qsizetype next = pos_ + 1;
        if (b[pos_] == '\r' && next < end_ && b[next] == '\n')
          ++next;
        consumed_ += next - pos_;
        pos_ = next;
        break;
      }
      line_ = cutLine_;
      lineCut_ = true;
      return true;
    }
    if (eof_) {
      if (pos_ >= end_)
        return false;
      line_ = QByteArrayView(d + pos_, end_ - pos_);
      lineCut_ = false;
      consumed_ += end_ - pos_;
      pos_ = end_;
      return true;
    }
    Fill();
  }
}

bool LineSource::Peek(QByteArrayView* line, bool* cut) {
  if (!peeked_) {
    peekedOk_ = Scan();
    peeked_ = true;
  }
  *line = line_;
  *cut = lineCut_;
  return peekedOk_;
}

bool LineSource::Next(QByteArrayView* line, bool* cut) {
  const bool ok = peeked_ ? peekedOk_ : Scan();
  peeked_ = false;
  *line = line_;
  *cut = lineCut_;
  return ok;
}

}  // namespace mainwindow
