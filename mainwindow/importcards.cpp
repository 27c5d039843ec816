#include "mainwindow/importcards.h"

#include <QBuffer>
#include <QStringDecoder>

#include "mainwindow/entrycheck.h"
#include "store/listfile.h"
#include "store/recordkey.h"

namespace mainwindow {
namespace {

QString Quoted(const QString& text) {
  return QStringLiteral("\u201E") + text + QStringLiteral("\u201C");
}

// Blanks and tabs at both ends, as the record store drops them when it reads a value.
QString TrimBlanks(const QString& value) {
  qsizetype b = 0;
  qsizetype e = value.size();
  auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
  while (b < e && blank(value.at(b)))
    ++b;
  while (e > b && blank(value.at(e - 1)))
    --e;
  return b == 0 && e == value.size() ? value : value.mid(b, e - b);
}

// A value of several lines (a street with a second line, as address books write it) as one
// line: each field holds one line of the files, so the lines are joined by ", ", empty ones
// dropped. A tab becomes a blank.
QString OneLine(const QString& value) {
  if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')) &&
      !value.contains(QLatin1Char('\t')))
    return value;
  QStringList lines;
  QString line;
  for (qsizetype i = 0; i <= value.size(); ++i) {
    const QChar c = i < value.size() ? value.at(i) : QLatin1Char('\n');
    if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
      line += c == QLatin1Char('\t') ? QLatin1Char(' ') : c;
      continue;
    }
    line = line.trimmed();
    if (!line.isEmpty())
      lines.append(line);
    line.clear();
  }
  return lines.join(QStringLiteral(", "));
}

QString CheckValues(const store::RecordValues& values) {
  const bool noName = values[store::kName].isEmpty();
  const bool noFirstName = values[store::kVorname].isEmpty();
  if (noName && noFirstName)
    return QStringLiteral("Die Adresse hat keinen Namen.");
  if (noName)
    return QStringLiteral("Die Adresse hat keinen Nachnamen (Feld \u201EName\u201C).");
  if (noFirstName)
    return QStringLiteral("Die Adresse hat keinen Vornamen.");
  if (const std::optional<Refusal> refusal = CheckEntry(values))
    return refusal->message;
  for (int field = 0; field < store::kFieldCount; ++field) {
    const int limit = store::Fields()[size_t(field)].maxLength;
    if (limit > 0 && values[size_t(field)].size() > limit) {
      return QStringLiteral("Das Feld %1 nimmt höchstens %2 Zeichen auf, nicht %3.")
          .arg(Quoted(store::FieldCaption(field)))
          .arg(limit)
          .arg(Quoted(values[size_t(field)]));
    }
  }
  return QString();
}

QString StoreReason(store::ImportRefusal refusal, const QString& earlierCard) {
  switch (refusal) {
    case store::ImportRefusal::KeyLive:
      return QStringLiteral("Datensatz für diese Person existiert bereits!");
    case store::ImportRefusal::KeyDeleted:
      return QStringLiteral(
          "Ein gelöschter Datensatz für diese Person existiert bereits; er "
          "kann wiederhergestellt werden.");
    case store::ImportRefusal::KeyInStore:
      // Also what a crash in the middle of an earlier import leaves: its records are stored
      // but listed nowhere, and the orphan restore lists them.
      return QStringLiteral(
          "Unter diesem Namen stehen bereits Daten im Adressbuch (ein Datensatz, der gerade an "
          "einem anderen Arbeitsplatz bearbeitet wird, oder ein verwaister). Verwaiste "
          "Datensätze nimmt \"Verwaiste Datensätze wiederherstellen\" wieder in die Liste auf.");
    case store::ImportRefusal::KeyTwice:
      return QStringLiteral("Diese Person steht schon weiter oben in der Datei (%1).")
          .arg(earlierCard);
    case store::ImportRefusal::TooLong:
      return QStringLiteral(
                 "Ein Feld ist zu lang: Das Adressbuch ist in UTF-8 gespeichert, und ein Feld darf "
                 "dort höchstens %1 Bytes umfassen.")
          .arg(store::kMaxFieldLength);
    case store::ImportRefusal::None:
      break;
  }
  return QString();
}

}  // namespace

std::optional<ImportFile> ReadUtf16(QIODevice& in, const ReadProgress& progress, bool unmarked,
                                    const ReadText& read) {
  const QByteArray head = in.peek(4);
  const auto zero = [&head](int i) { return head.size() == 4 && head[i] == 0; };
  const bool marked = store::HasUtf16ByteOrderMark(head);
  const bool littleEndian =
      marked ? head.startsWith("\xFF\xFE") : unmarked && !zero(0) && zero(1) && !zero(2) && zero(3);
  const bool bigEndian =
      marked ? !littleEndian : unmarked && zero(0) && !zero(1) && zero(2) && !zero(3);
  if (!littleEndian && !bigEndian)
    return std::nullopt;
  const QByteArray wide = in.readAll();
  if (!in.atEnd())
    return ImportFile{{}, QStringLiteral("Die Datei kann nicht gelesen werden."), false};
  QStringDecoder decode(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                        QStringDecoder::Flag::Stateless);
  QByteArray text =
      "\xEF\xBB\xBF" + QString(decode(QByteArrayView(wide).sliced(marked ? 2 : 0))).toUtf8();
  QBuffer buffer(&text);
  buffer.open(QIODevice::ReadOnly);
  // The UTF-8 text is shorter than the file.
  const double scale = double(wide.size()) / double(qMax<qsizetype>(1, text.size()));
  const ReadProgress scaled = [&](qint64 done) {
    return !progress || progress(qint64(double(done) * scale));
  };
  return read(buffer, scaled);
}

QString Where(const ImportCard& card) {
  return (card.csvLine ? QStringLiteral("Zeile %1") : QStringLiteral("Karte %1")).arg(card.number);
}

QString CardLabel(const ImportCard& card) {
  if (card.name.isEmpty())
    return Where(card);
  return Where(card) + QStringLiteral(" (") + card.name + QLatin1Char(')');
}

ImportCandidates CheckCards(const std::vector<ImportCard>& cards) {
  ImportCandidates candidates;
  candidates.reasons.resize(cards.size());
  candidates.records.reserve(cards.size());
  candidates.cardOf.reserve(cards.size());
  for (size_t i = 0; i < cards.size(); ++i) {
    const ImportCard& card = cards[i];
    if (!card.refusal.isEmpty()) {
      candidates.reasons[i] = card.refusal;
      continue;
    }
    store::RecordValues values;
    for (int field = 0; field < store::kFieldCount; ++field)
      values[size_t(field)] = TrimBlanks(OneLine(card.values[size_t(field)]));
    const QString reason = CheckValues(values);
    if (!reason.isEmpty()) {
      candidates.reasons[i] = reason;
      continue;
    }
    const QString key = store::FormRecordKey(values[store::kName], values[store::kVorname]);
    candidates.records.push_back({key, std::move(values)});
    candidates.cardOf.push_back(qsizetype(i));
  }
  return candidates;
}

ImportSummary SummarizeImport(const std::vector<ImportCard>& cards,
                              const ImportCandidates& candidates,
                              const store::ImportOutcome& outcome) {
  ImportSummary summary;
  summary.imported = outcome.imported;
  std::vector<QString> reasons = candidates.reasons;
  std::vector<bool> imported(cards.size(), false);
  for (size_t r = 0; r < candidates.records.size(); ++r) {
    const size_t card = size_t(candidates.cardOf[r]);
    const store::ImportRefusal refusal =
        r < outcome.refusals.size() ? outcome.refusals[r] : store::ImportRefusal::None;
    if (refusal == store::ImportRefusal::None) {
      imported[card] = true;
      continue;
    }
    const qsizetype earlier = outcome.earlier[r];
    reasons[card] = StoreReason(
        refusal,
        earlier < 0 ? QString() : Where(cards[size_t(candidates.cardOf[size_t(earlier)])]));
  }
  for (size_t i = 0; i < cards.size(); ++i) {
    if (!reasons[i].isEmpty()) {
      summary.notImported.append(CardLabel(cards[i]) + QStringLiteral(": ") + reasons[i]);
    } else if (imported[i] && !cards[i].leftOut.isEmpty()) {
      summary.leftOut.append(CardLabel(cards[i]) + QStringLiteral(": ") +
                             cards[i].leftOut.join(QStringLiteral("; ")));
    }
  }
  summary.heading = QStringLiteral("Importierte Adressen: %1 von %2.")
                        .arg(outcome.imported)
                        .arg(qsizetype(cards.size()));
  return summary;
}

}  // namespace mainwindow
