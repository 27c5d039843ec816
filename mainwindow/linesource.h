#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

namespace mainwindow {

// The lines of a text file read a block at a time, so a file of any size is read with memory
// for one block and one line. Lines end in CR LF, LF or CR. A line longer than maxLine is cut
// there and the rest of it skipped, so one endless line (a binary file, a huge photo) costs no
// more memory than a short one.
class LineSource {
 public:
  LineSource(QIODevice* in, qsizetype maxLine);

  // The next line without its line end; the view lives until the next call. *cut tells that
  // the line was longer than maxLine. False at the end of the file or on a read error.
  bool Next(QByteArrayView* line, bool* cut);
  // The line Next will give, without taking it (the folding of vCard lines needs a look at
  // the line after). False at the end.
  bool Peek(QByteArrayView* line, bool* cut);

  qint64 BytesRead() const { return consumed_; }
  bool ReadFailed() const { return failed_; }

 private:
  bool Fill();  // reads the next block after the unread bytes; false at the end
  bool Scan();  // finds the next line into line_; false at the end

  QIODevice* in_;
  qsizetype maxLine_;
  QByteArray buffer_;
  qsizetype pos_ = 0;  // the first unread byte
  qsizetype end_ = 0;  // the end of the bytes read
  bool eof_ = false;
  bool failed_ = false;
  qint64 consumed_ = 0;  // bytes of the lines given out so far
  bool peeked_ = false;
  bool peekedOk_ = false;
  QByteArrayView line_;
  bool lineCut_ = false;
  QByteArray cutLine_;  // the kept start of a cut line
};

}  // namespace mainwindow
