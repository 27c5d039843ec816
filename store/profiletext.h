#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace store {

// The profile (INI) file service, on the bytes of one file. It behaves as the platform's
// service that other workstations' files were written with:
// - section and key names match without regard to letter case (Windows-1252 letters too);
//   blanks at both ends of a caller's name and inside a header's brackets are ignored;
// - a missing section or key reads as the caller's default; values come back cut to 1023
//   characters, with blanks and tabs at both ends and one pair of enclosing quotes removed;
// - writing keeps the spelling already in the file, replaces a value in place, puts a new
//   key after the last line of its section and a new section at the end of the file; a line
//   that holds a key without "=" is replaced when that key is written;
// - a file that starts with a UTF-8 byte-order mark holds UTF-8: its names and values are read
//   and written as UTF-8; any other file is Windows-1252.
// Reading one value scans for the section and parses only that section.
class ProfileText {
 public:
  ProfileText() = default;
  explicit ProfileText(QByteArray bytes);

  const QByteArray& Bytes() const { return bytes_; }

  QString Read(QStringView section, QStringView key, const QString& defaultValue) const;
  bool HasSection(QStringView section) const;

  void Write(QStringView section, QStringView key, QStringView value);
  // Writes several keys of one section in one pass, in the given order.
  void WriteSection(QStringView section, const QList<QPair<QString, QString>>& keyValues);
  // The change WriteSection makes, without making it: the bytes [begin, end) are replaced by
  // `bytes`. Lets a caller write the changed file in pieces instead of copying it whole.
  struct SectionChange {
    qsizetype begin = 0;
    qsizetype end = 0;
    QByteArray bytes;
    bool existed = false;  // the section was there already (its name matched ignoring case)
  };
  SectionChange PlanSection(QStringView section,
                            const QList<QPair<QString, QString>>& keyValues) const;
  // Removes the first section of that name with its header and all its lines.
  void EraseSection(QStringView section);
  // Removes every section of each of these names, in one pass over the file: a purge of fifty
  // thousand records must not read the whole file for each of them. A file merged or copied
  // together by hand may hold a record twice; readers see the first, and the next once the
  // first is gone.
  void EraseEverySectionOf(const QStringList& sections);

 private:
  QByteArray bytes_;
};

}  // namespace store
