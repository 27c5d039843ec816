#pragma once

#include <QByteArray>
#include <QFont>
#include <QStringList>

#include "reports/textlines.h"

namespace reports {

// The report text as a Rich Text Format document that word processors open: header, a font
// table with the given font, one paragraph per line. Characters of Windows-1252 are written
// as \'hh, others as \uN with "?" for readers that do not know \u.
QByteArray WriteRtf(const TextLines& lines, const QFont& font);
QByteArray WriteRtf(const QStringList& lines, const QFont& font);

// The text lines of a report file. A file that starts with "{\rtf" is read as Rich Text
// Format: groups, control words, skipped destinations (font and colour tables, style sheet,
// document info, pictures, "\*" groups), \par and \line as line ends, \'hh as Windows-1252,
// \uN with its \ucN fallback skipped. Any other file is plain Windows-1252 text with lines
// ended by CR LF, LF or CR. A last line without line end counts when it is not empty.
// Never reads past the input; a truncated or too deeply nested document gives its text so far.
TextLines ReadRtfText(const QByteArray& bytes);
QStringList ReadRtfLines(const QByteArray& bytes);

// Lines of plain Windows-1252 text, as ReadRtfLines takes a file that is not RTF.
TextLines ReadPlainText(const QByteArray& bytes);
QStringList ReadPlainTextLines(const QByteArray& bytes);

}  // namespace reports
