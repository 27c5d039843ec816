#include "mainwindow/csvimport.h"

#include <QBuffer>
#include <cstring>
#include <optional>

#include "mainwindow/csvexport.h"
#include "mainwindow/linesource.h"
#include "store/cp1252.h"

namespace mainwindow {
namespace {

// A record line (with the lines a quoted value spans) is kept up to this many bytes.
constexpr qsizetype kMaxRecord = 64 * 1024;
constexpr int kProgressLines = 4096;

// The fields of one record, split at the separator outside double quotes. A quoted value may
// span lines: Add is called again with the next line while Open() is true.
class FieldSplitter {
 public:
  explicit FieldSplitter(char separator = ';') : separator_(separator) {}
  void SetSeparator(char separator) { separator_ = separator; }
  void Add(QByteArrayView line) {
    if (quoted_)
      field_.append("\r\n", 2);  // the line break inside the quoted value
    for (qsizetype i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (quoted_) {
        if (c != '"') {
          field_.append(c);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field_.append('"');
          ++i;
        } else {
          quoted_ = false;
        }
      } else if (c == separator_) {
        fields_.append(field_);
        field_.clear();
      } else if (c == '"' && field_.isEmpty()) {
        quoted_ = true;
      } else {
        field_.append(c);
      }
      if (field_.size() > kMaxRecord)
        tooLong_ = true;
    }
  }
  bool Open() const { return quoted_ && !tooLong_; }
  bool TooLong() const { return tooLong_; }
  QList<QByteArray> Take() {
    fields_.append(field_);
    QList<QByteArray> fields = std::move(fields_);
    fields_.clear();
    field_.clear();
    quoted_ = false;
    tooLong_ = false;
    return fields;
  }

 private:
  char separator_;
  QList<QByteArray> fields_;
  QByteArray field_;
  bool quoted_ = false;
  bool tooLong_ = false;
};

// How a spreadsheet program saved the export again: the separator of its language (";", ","
// or a tab), the character set (Windows-1252 as written, or UTF-8, with or without a byte
// order mark) and the number of columns, empty ones added beyond the fifteenth.
struct Layout {
  char separator = ';';
  bool utf8 = false;
  qsizetype columns = store::kFieldCount;
};

// The layout in which line is the export's header, or nothing when it is none. The header
// itself tells the character set: its "ß" is one byte in Windows-1252 and two in UTF-8.
std::optional<Layout> ReadHeader(QByteArrayView line, bool utf8Marked) {
  const QStringList expected = CsvHeader().split(QLatin1Char(';'));
  for (const char separator : {';', ',', '\t'}) {
    FieldSplitter splitter(separator);
    splitter.Add(line);
    if (splitter.Open())
      continue;
    QList<QByteArray> cells = splitter.Take();
    const qsizetype columns = cells.size();
    while (cells.size() > expected.size() && cells.back().isEmpty())
      cells.removeLast();
    if (cells.size() != expected.size())
      continue;
    for (const bool utf8 : {utf8Marked, true}) {
      QStringList names;
      for (const QByteArray& cell : cells)
        names.append(utf8 ? QString::fromUtf8(cell) : store::FromCp1252(cell));
      if (names == expected)
        return Layout{separator, utf8, columns};
    }
  }
  return std::nullopt;
}

bool AllEmpty(const QList<QByteArray>& fields) {
  for (const QByteArray& field : fields) {
    if (!field.isEmpty())
      return false;
  }
  return true;
}

}  // namespace

ImportFile ReadCsvExport(QIODevice& in, const ReadProgress& progress) {
  // Saved as "Unicode" (Excel's "Unicode Text", a UTF-16 character set in LibreOffice), the
  // export is UTF-16 with a byte order mark: it is read as the same text in UTF-8, marked so.
  if (std::optional<ImportFile> wide = ReadUtf16(
          in, progress, false,
          [](QIODevice& text, const ReadProgress& scaled) { return ReadCsvExport(text, scaled); }))
    return std::move(*wide);
  ImportFile file;
  LineSource source(&in, kMaxRecord);
  FieldSplitter splitter;
  bool utf8 = false;
  bool header = true;
  Layout layout;
  int lineNumber = 0;
  int recordLine = 0;
  bool recordCut = false;
  // Composed, as the vCard reader composes: "u" and a combining diaeresis is the "ü" the
  // record store holds.
  auto text = [&](const QByteArray& bytes) {
    return utf8 ? QString::fromUtf8(bytes).normalized(QString::NormalizationForm_C)
                : store::FromCp1252(bytes);
  };
  QByteArrayView line;
  bool cut = false;
  while (source.Next(&line, &cut)) {
    ++lineNumber;
    if (lineNumber == 1 && line.startsWith("\xEF\xBB\xBF")) {
      utf8 = true;
      line = line.sliced(3);
    }
    if (std::memchr(line.data(), 0, size_t(line.size()))) {
      return ImportFile{
          {}, QStringLiteral("Die Datei enthält Binärdaten und ist kein CSV-Export."), false};
    }
    if (lineNumber % kProgressLines == 0 && progress && !progress(source.BytesRead()))
      return ImportFile{{}, QString(), true};
    if (header) {
      header = false;
      const std::optional<Layout> found = cut ? std::nullopt : ReadHeader(line, utf8);
      if (!found) {
        return ImportFile{{},
                          QStringLiteral("Die Datei ist kein CSV-Export dieses Programms: die "
                                         "Kopfzeile fehlt oder ist eine andere."),
                          false};
      }
      layout = *found;
      utf8 = layout.utf8;
      splitter.SetSeparator(layout.separator);
      continue;
    }
    if (!splitter.Open()) {
      if (line.isEmpty())
        continue;  // an empty line holds no record
      recordLine = lineNumber;
    }
    if (!splitter.Open())
      recordCut = false;
    recordCut = recordCut || cut;
    splitter.Add(line);
    if (splitter.Open())
      continue;
    const bool tooLong = recordCut || splitter.TooLong();
    QList<QByteArray> fields = splitter.Take();
    if (!tooLong && AllEmpty(fields))
      continue;  // a row of empty cells, as spreadsheets leave them at the end, holds no record
    if (!tooLong && fields.size() > store::kFieldCount && fields.size() <= layout.columns &&
        AllEmpty(fields.mid(store::kFieldCount))) {
      fields.resize(store::kFieldCount);  // the empty columns the header has too
    }
    if (!tooLong && fields.size() >= 2 && fields.size() < store::kFieldCount) {
      // A spreadsheet program cuts the separators of empty cells at the end of a row; the
      // first two values (first name and name) tell that it is a record.
      fields.resize(store::kFieldCount);
    }
    if (qsizetype(file.cards.size()) >= kMaxImportCards) {
      return ImportFile{{},
                        QStringLiteral("Die Datei enthält mehr als %1 Adressen. Bitte teilen Sie "
                                       "sie in kleinere Dateien auf.")
                            .arg(kMaxImportCards),
                        false};
    }
    ImportCard card;
    card.number = recordLine;
    card.csvLine = true;
    if (tooLong) {
      card.refusal = QStringLiteral("Die Zeile ist zu lang.");
    } else if (fields.size() != store::kFieldCount) {
      card.refusal = (fields.size() == 1 ? QStringLiteral("Die Zeile hat 1 Feld statt %1.")
                                         : QStringLiteral("Die Zeile hat %2 Felder statt %1."))
                         .arg(store::kFieldCount)
                         .arg(fields.size());
    } else {
      bool allMissing = true;
      for (int column = 0; column < store::kFieldCount; ++column) {
        QString value = text(fields[column]);
        allMissing = allMissing && value == store::MissingValue();
        card.values[size_t(store::StoreOrder()[size_t(column)])] = std::move(value);
      }
      if (allMissing) {
        card.refusal = QStringLiteral(
            "Die Zeile enthält nur \u201EError\u201C: der Datensatz fehlte beim Export.");
      }
    }
    card.name = QString(card.values[store::kVorname] + QLatin1Char(' ') + card.values[store::kName])
                    .trimmed();
    file.cards.push_back(std::move(card));
  }
  if (source.ReadFailed())
    return ImportFile{{}, QStringLiteral("Die Datei kann nicht gelesen werden."), false};
  if (header) {
    return ImportFile{
        {}, QStringLiteral("Die Datei ist leer und kein CSV-Export dieses Programms."), false};
  }
  if (splitter.Open()) {
    ImportCard card;
    card.number = recordLine;
    card.csvLine = true;
    card.refusal = QStringLiteral(
        "Ein Anführungszeichen wird bis zum Ende der Datei nicht "
        "geschlossen.");
    file.cards.push_back(std::move(card));
  }
  return file;
}

ImportFile ReadCsvExport(const QByteArray& bytes) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  return ReadCsvExport(buffer);
}

}  // namespace mainwindow
