#pragma once

#include <QString>
#include <optional>

#include "store/fieldtable.h"

namespace mainwindow {

// Why an entry cannot be saved as typed: the field to correct, the position of the first
// offending character in it, and the German message for the user.
struct Refusal {
  int field = 0;
  qsizetype position = 0;
  QString message;
};

// Checks a complete entry (both name fields filled) before it is saved. Refused are:
// - in the name or first name an "@" (the list would cut the record key there) or a "]"
//   (it would end the section name in the record store);
// - a blank at the start of the name or at the end of the first name: the record store
//   drops blanks at both ends of a section name, so the record would share the section of
//   the key without them;
// - in any field a character the data files cannot hold: characters without a Windows-1252
//   byte, and control characters, which would break the line structure of the files.
std::optional<Refusal> CheckEntry(const store::RecordValues& values);

}  // namespace mainwindow
