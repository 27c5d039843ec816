#include "mainwindow/vcardread.h"

#include <QBuffer>
#include <QStringDecoder>
#include <cstring>

#include "mainwindow/linesource.h"
#include "store/cp1252.h"

namespace mainwindow {
namespace {

// A kept line may be this long (after unfolding). A value the record store can hold is at
// most 1023 characters, which even quoted-printable UTF-8 with escapes keeps well below this.
constexpr qsizetype kMaxLine = 64 * 1024;
// The reader asks for progress after this many lines.
constexpr int kProgressLines = 4096;

enum class Prop { Other, Begin, End, Version, N, FN, Org, Title, Adr, Tel, Email, Speed, Intern };

// The types of a TEL or ADR that decide which field takes it.
// kSecond: this program's own mark of a number that belongs in Telefon2.
enum TypeFlag : quint8 { kFax = 1, kCell = 2, kWork = 4, kSecond = 8 };

QByteArrayView Trimmed(QByteArrayView v) {
  while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
    v = v.sliced(1);
  while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
    v.chop(1);
  return v;
}

bool Is(QByteArrayView a, const char* b) {
  return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

Prop PropOf(QByteArrayView name) {
  // Most lines of a large file are continuation lines of photos and other unknown properties:
  // they are told apart by their first letter before any comparison.
  if (name.isEmpty() || !std::strchr("BEVNFOTAXbevnfotax", name.front()))
    return Prop::Other;
  static const struct {
    const char* name;
    Prop prop;
  } kProps[] = {{"BEGIN", Prop::Begin},
                {"END", Prop::End},
                {"VERSION", Prop::Version},
                {"N", Prop::N},
                {"FN", Prop::FN},
                {"ORG", Prop::Org},
                {"TITLE", Prop::Title},
                {"ADR", Prop::Adr},
                {"TEL", Prop::Tel},
                {"EMAIL", Prop::Email},
                {"X-PELLUMO-KURZWAHL", Prop::Speed},
                {"X-PELLUMO-INTERN", Prop::Intern}};
  for (const auto& p : kProps) {
    if (Is(name, p.name))
      return p.prop;
  }
  return Prop::Other;
}

// The property name of a line: before the first ";" or ":", without a group ("item1.").
QByteArrayView NameOf(QByteArrayView line) {
  qsizetype end = 0;
  while (end < line.size() && line[end] != ';' && line[end] != ':')
    ++end;
  QByteArrayView name = line.first(end);
  const qsizetype dot = name.lastIndexOf('.');
  return Trimmed(dot < 0 ? name : name.sliced(dot + 1));
}

// Where the value starts: after the first ":" outside a quoted parameter value; -1 if none.
qsizetype ValueColon(QByteArrayView line) {
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    else if (line[i] == ':' && !quoted)
      return i;
  }
  return -1;
}

// A quoted-printable soft line break: "=" at the end of the line, where blanks that mail
// programs added after it do not count.
bool EndsInSoftBreak(QByteArrayView line) {
  while (!line.isEmpty() && (line.back() == ' ' || line.back() == '\t'))
    line.chop(1);
  return line.endsWith('=');
}

// Takes the soft break, and the blanks after it, off the end of a value.
void ChopSoftBreak(QByteArray* value) {
  qsizetype end = value->size();
  while (end > 0 && (value->at(end - 1) == ' ' || value->at(end - 1) == '\t'))
    --end;
  if (end > 0 && value->at(end - 1) == '=')
    value->truncate(end - 1);
}

bool IsQuotedPrintable(QByteArrayView head) {
  return head.toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// One kept property of a card; its value and charset lie in the card's byte store.
struct RawProp {
  Prop prop = Prop::Other;
  quint8 types = 0;
  bool quotedPrintable = false;
  bool uri = false;
  bool cut = false;
  qsizetype valueBegin = 0, valueEnd = 0;
  qsizetype charsetBegin = 0, charsetEnd = 0;
};

// Reads the parameters (everything between the name and the ":") into prop.
void ReadParams(QByteArrayView params, RawProp* prop, QByteArray* store) {
  auto addType = [prop](QByteArrayView type) {
    type = Trimmed(type);
    if (type.size() >= 2 && type.front() == '"' && type.back() == '"')
      type = type.sliced(1, type.size() - 2);
    if (Is(type, "FAX"))
      prop->types |= kFax;
    else if (Is(type, "CELL") || Is(type, "MOBILE"))
      prop->types |= kCell;
    else if (Is(type, "WORK"))
      prop->types |= kWork;
    else if (Is(type, "QUOTED-PRINTABLE"))
      prop->quotedPrintable = true;
  };
  qsizetype i = 0;
  while (i < params.size()) {
    // One parameter up to the next ";" outside quotes.
    qsizetype end = i;
    bool quoted = false;
    while (end < params.size() && (quoted || params[end] != ';')) {
      if (params[end] == '"')
        quoted = !quoted;
      ++end;
    }
    const QByteArrayView param = params.sliced(i, end - i);
    i = end + 1;
    const qsizetype eq = param.indexOf('=');
    if (eq < 0) {
      addType(param);  // the bare parameters of version 2.1: TEL;WORK;FAX
      continue;
    }
    const QByteArrayView key = Trimmed(param.first(eq));
    QByteArrayView value = Trimmed(param.sliced(eq + 1));
    if (Is(key, "TYPE")) {
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.sliced(1, value.size() - 2);
      for (qsizetype b = 0; b <= value.size();) {
        qsizetype e = value.indexOf(',', b);
        if (e < 0)
          e = value.size();
        addType(value.sliced(b, e - b));
        b = e + 1;
      }
    } else if (Is(key, "ENCODING")) {
      if (Is(value, "QUOTED-PRINTABLE"))
        prop->quotedPrintable = true;
    } else if (Is(key, "CHARSET")) {
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.sliced(1, value.size() - 2);
      prop->charsetBegin = store->size();
      store->append(value);
      prop->charsetEnd = store->size();
    } else if (Is(key, "X-PELLUMO-FELD")) {
      if (Is(value, "Telefon2"))
        prop->types |= kSecond;
    } else if (Is(key, "VALUE")) {
      prop->uri = Is(value, "uri");
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

// Quoted-printable: "=XX" is the byte XX; an "=" not followed by two hex digits stays.
QByteArray DecodeQuotedPrintable(QByteArrayView in) {
  QByteArray out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == '=' && i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 && HexDigit(in[i + 2]) >= 0) {
      out.append(char(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2])));
      i += 2;
    } else {
      out.append(in[i]);
    }
  }
  return out;
}

bool IsAscii(QByteArrayView bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

// Splits a structured value at the ";" that are not escaped, and unescapes each part:
// "\\", "\,", "\;" always, "\n" as a line break from version 3.0 on (version 2.1 writes line
// breaks quoted-printable, and a backslash there is mostly a plain one). Other backslashes
// stay as they are.
QStringList Components(const QString& value, bool version21, int atMost = 1 << 30) {
  // Most values have neither: taken as they are.
  if (!value.contains(QLatin1Char('\\')) && (atMost == 1 || !value.contains(QLatin1Char(';'))))
    return {value};
  QStringList parts;
  QString part;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    if (c == QLatin1Char('\\') && i + 1 < value.size()) {
      const QChar n = value.at(i + 1);
      if (n == QLatin1Char('\\') || n == QLatin1Char(',') || n == QLatin1Char(';')) {
        part += n;
        ++i;
        continue;
      }
      if (!version21 && (n == QLatin1Char('n') || n == QLatin1Char('N'))) {
        part += QLatin1Char('\n');
        ++i;
        continue;
      }
    }
    if (c == QLatin1Char(';') && parts.size() + 1 < atMost) {
      parts.append(part);
      part.clear();
      continue;
    }
    part += c;
  }
  parts.append(part);
  return parts;
}

// The value of a property that has one component, unescaped; most have nothing to unescape
// and are taken as they are, without a list around them.
QString Single(const QString& value, bool version21) {
  if (!value.contains(QLatin1Char('\\')))
    return value;
  return Components(value, version21, 1).first();
}

QString Quoted(const QString& text) {
  return QStringLiteral("\u201E") + text + QStringLiteral("\u201C");
}

// The names of ISO-8859-1, under which phones and mail programs wrote the Windows code page:
// its codes 128 to 159 are control characters there, which no card means.
bool IsLatin1(const QByteArray& charset) {
  QByteArray name = charset.toUpper();
  name.replace('-', "").replace('_', "").replace(' ', "");
  for (const char* latin1 : {"ISO88591", "ISO885911987", "LATIN1", "L1", "CP819", "IBM819"}) {
    if (name == latin1)
      return true;
  }
  return false;
}

// Makes one card's fields from its kept properties.
class CardMaker {
 public:
  CardMaker(const std::vector<RawProp>& props, const QByteArray& store, bool unicode,
            ImportCard* card)
      : props_(props), store_(store), unicode_(unicode), card_(card) {}

  void Make() {
    for (const RawProp& p : props_) {
      if (p.prop == Prop::Version)
        version21_ = Trimmed(Bytes(p.valueBegin, p.valueEnd)).startsWith("2.");
      if (p.prop == Prop::Version)
        version40_ = Trimmed(Bytes(p.valueBegin, p.valueEnd)).startsWith("4.");
    }
    const RawProp* adr = nullptr;
    for (const RawProp& p : props_) {
      if (p.prop == Prop::Adr && (!adr || (!(adr->types & kWork) && (p.types & kWork))))
        adr = &p;
    }
    QString fn;
    bool haveN = false;
    for (const RawProp& p : props_) {
      if (p.cut) {
        Refuse(QStringLiteral("Eine Zeile der Karte ist zu lang."));
        return;
      }
      if (p.prop == Prop::Version || p.prop == Prop::Other)
        continue;
      QString text;
      if (!Decode(p, &text))
        return;
      switch (p.prop) {
        case Prop::N:
          if (!haveN)
            TakeName(text);
          haveN = true;
          break;
        case Prop::FN:
          if (fn.isNull())
            fn = Single(text, version21_).trimmed();
          break;
        case Prop::Org:
          TakeOrg(text);
          break;
        case Prop::Title:
          Fill(store::kPosition, Single(text, version21_));
          break;
        case Prop::Adr:
          TakeAddress(text, &p == adr);
          break;
        case Prop::Tel:
          TakePhone(p, text);
          break;
        case Prop::Email:
          TakeOne(store::kEMail, Single(text, version21_),
                  QStringLiteral("weitere E-Mail-Adresse"));
          break;
        case Prop::Speed:
          Fill(store::kKurzwahl, Single(text, version21_));
          break;
        case Prop::Intern:
          Fill(store::kIRuf, Single(text, version21_));
          break;
        default:
          break;
      }
    }
    store::RecordValues& v = card_->values;
    if (v[store::kName].trimmed().isEmpty() && v[store::kVorname].trimmed().isEmpty() &&
        !fn.isEmpty()) {
      // Without a name in N the formatted name is "Vorname Name", or "Name, Vorname" as
      // address books sort people (or a company's name).
      if (!v[store::kFirma].isEmpty() && fn == v[store::kFirma].trimmed()) {
        card_->name = fn;
        Refuse(QStringLiteral("Die Karte nennt keine Person, nur die Firma."));
        return;
      }
      const qsizetype comma = fn.indexOf(QLatin1Char(','));
      const qsizetype blank = fn.lastIndexOf(QLatin1Char(' '));
      if (comma > 0) {
        v[store::kName] = fn.left(comma).trimmed();
        v[store::kVorname] = fn.mid(comma + 1).trimmed();
      } else {
        v[store::kName] = blank < 0 ? fn : fn.mid(blank + 1);
        v[store::kVorname] = blank < 0 ? QString() : fn.left(blank).trimmed();
      }
    }
    card_->name = fn.isEmpty()
                      ? QString(v[store::kVorname] + QLatin1Char(' ') + v[store::kName]).trimmed()
                      : fn;
  }

 private:
  QByteArrayView Bytes(qsizetype b, qsizetype e) const {
    return QByteArrayView(store_.constData() + b, e - b);
  }

  void Refuse(const QString& reason) {
    if (card_->refusal.isEmpty())
      card_->refusal = reason;
  }

  // The property's value as text: quoted-printable undone, then decoded by its CHARSET, else
  // as UTF-8. Version 2.1 and 3.0 files without CHARSET that are not UTF-8 were written in the
  // Windows code page by the programs of their time; version 4.0 is UTF-8 only. In a file that
  // was UTF-16 only quoted-printable bytes are in the CHARSET; the rest was Unicode text.
  bool Decode(const RawProp& p, QString* text) {
    QByteArray qp;
    QByteArrayView bytes = Bytes(p.valueBegin, p.valueEnd);
    if (p.quotedPrintable) {
      qp = DecodeQuotedPrintable(bytes);
      bytes = qp;
    }
    if (p.charsetEnd > p.charsetBegin && (p.quotedPrintable || !unicode_)) {
      const QByteArray charset = Bytes(p.charsetBegin, p.charsetEnd).toByteArray();
      if (IsLatin1(charset)) {
        *text = store::FromCp1252(bytes);
        return true;
      }
      QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless);
      if (!decoder.isValid()) {
        Refuse(QStringLiteral("Die Karte ist in einem unbekannten Zeichensatz geschrieben (%1).")
                   .arg(QString::fromLatin1(charset)));
        return false;
      }
      *text = decoder.decode(bytes);
      if (decoder.hasError()) {
        Refuse(QStringLiteral("Die Karte enthält Zeichen, die im Zeichensatz %1 nicht "
                              "vorkommen.")
                   .arg(QString::fromLatin1(charset)));
        return false;
      }
      *text = text->normalized(QString::NormalizationForm_C);  // as UTF-8 without CHARSET below
      return true;
    }
    if (IsAscii(bytes)) {
      *text = QString::fromLatin1(bytes);
      return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    *text = utf8.decode(bytes);
    if (!utf8.hasError()) {
      // Some programs write letters decomposed ("u" and a combining diaeresis); composed,
      // they are the "ü" the record store holds.
      *text = text->normalized(QString::NormalizationForm_C);
      return true;
    }
    if (version40_) {
      Refuse(QStringLiteral("Die Karte enthält Text, der nicht in UTF-8 geschrieben ist."));
      return false;
    }
    *text = store::FromCp1252(bytes);
    return true;
  }

  void Fill(int field, const QString& value) {
    if (card_->values[field].isEmpty())
      card_->values[field] = value;
  }

  // Fills the field with value, or lists value as left out when the field is taken.
  void TakeOne(int field, const QString& value, const QString& what) {
    if (value.isEmpty())
      return;
    if (card_->values[field].isEmpty()) {
      card_->values[field] = value;
      return;
    }
    card_->leftOut.append(what + QLatin1Char(' ') + Quoted(value));
  }

  void TakeName(const QString& text) {
    const QStringList c = Components(text, version21_);
    Fill(store::kName, c.value(0));
    Fill(store::kVorname, c.value(1));
    QStringList extras;
    for (int i = 2; i < c.size(); ++i) {
      if (!c[i].trimmed().isEmpty())
        extras.append(c[i].trimmed());
    }
    if (!extras.isEmpty())
      card_->leftOut.append(QStringLiteral("Namenszusatz ") +
                            Quoted(extras.join(QLatin1Char(' '))));
  }

  void TakeOrg(const QString& text) {
    if (orgTaken_)
      return;
    orgTaken_ = true;
    const QStringList c = Components(text, version21_);
    Fill(store::kFirma, c.value(0));
    if (c.size() <= 2) {
      Fill(store::kKurzzeichen, c.value(1));
      return;
    }
    // Several organisational units: the department is all of them.
    QStringList units;
    for (int i = 1; i < c.size(); ++i) {
      if (!c[i].trimmed().isEmpty())
        units.append(c[i].trimmed());
    }
    Fill(store::kKurzzeichen, units.join(QStringLiteral(", ")));
  }

  void TakeAddress(const QString& text, bool chosen) {
    const QStringList c = Components(text, version21_);
    if (!chosen) {
      QStringList parts;
      for (const QString& part : c) {
        if (!part.trimmed().isEmpty())
          parts.append(part.trimmed());
      }
      if (!parts.isEmpty())
        card_->leftOut.append(QStringLiteral("weitere Anschrift ") +
                              Quoted(parts.join(QStringLiteral(", "))));
      return;
    }
    Fill(store::kStrasse, c.value(2));
    Fill(store::kOrt, c.value(3));
    Fill(store::kPLZ, c.value(5));
    for (int i : {0, 1}) {
      if (!c.value(i).trimmed().isEmpty())
        card_->leftOut.append(QStringLiteral("Adresszusatz ") + Quoted(c.value(i).trimmed()));
    }
  }

  void TakePhone(const RawProp& p, const QString& text) {
    QString number = Single(text, version21_);
    // A number written as a URI (VALUE=uri, as version 4.0 programs do): "tel:+49-761-1".
    if (p.uri && number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
      number = number.mid(4);
    if (p.types & kFax) {
      TakeOne(store::kFax, number, QStringLiteral("weitere Faxnummer"));
    } else if (p.types & kCell) {
      TakeOne(store::kHandy, number, QStringLiteral("weitere Mobilnummer"));
    } else if (card_->values[store::kTelefon1].isEmpty() && !(p.types & kSecond)) {
      TakeOne(store::kTelefon1, number, QString());
    } else {
      TakeOne(store::kTelefon2, number, QStringLiteral("weitere Telefonnummer"));
    }
  }

  const std::vector<RawProp>& props_;
  const QByteArray& store_;
  const bool unicode_;
  ImportCard* card_;
  bool version21_ = false;
  bool version40_ = false;
  bool orgTaken_ = false;
};

class Reader {
 public:
  // unicode: the file was UTF-16, and in is its text in UTF-8.
  Reader(QIODevice& in, const ReadProgress& progress, bool unicode = false)
      : source_(&in, kMaxLine), progress_(progress), unicode_(unicode) {}

  ImportFile Read() {
    QByteArrayView line;
    bool cut = false;
    while (source_.Next(&line, &cut)) {
      // The byte order mark of the file, or of one of several files put together.
      if (line.startsWith("\xEF\xBB\xBF"))
        line = line.sliced(3);
      if (std::memchr(line.data(), 0, size_t(line.size()))) {
        file_.cards.clear();
        file_.error = QStringLiteral("Die Datei enthält Binärdaten und ist keine vCard-Datei.");
        return std::move(file_);
      }
      if (!Tick() || !Line(line, cut))
        return std::move(file_);
    }
    if (source_.ReadFailed()) {
      file_.cards.clear();
      file_.error = QStringLiteral("Die Datei kann nicht gelesen werden.");
      return std::move(file_);
    }
    if (inCard_)
      EndCard(QStringLiteral("Die Karte ist unvollständig: END:VCARD fehlt."));
    if (cards_ == 0)
      file_.error = QStringLiteral("Die Datei enthält keine vCard.");
    return std::move(file_);
  }

 private:
  // One physical line that starts a property; takes its continuation lines too. False when
  // the whole file is refused.
  bool Line(QByteArrayView line, bool cut) {
    const QByteArrayView name = NameOf(line);
    const Prop prop = PropOf(name);
    const bool keep = prop != Prop::Other && (inCard_ || prop == Prop::Begin) &&
                      (nested_ == 0 || prop == Prop::Begin || prop == Prop::End);
    const qsizetype colon = ValueColon(line);
    // Version 2.1 writes an assistant's card on the lines after an empty AGENT property.
    afterAgent_ = agentLine_;
    agentLine_ =
        inCard_ && colon > 0 && Is(name, "AGENT") && Trimmed(line.sliced(colon + 1)).isEmpty();
    const bool qp = colon > 0 && EndsInSoftBreak(line) && IsQuotedPrintable(line.first(colon));
    logical_.resize(0);
    if (keep)
      logical_.append(line);
    bool logicalCut = cut;
    // The continuation lines: a soft line break of quoted-printable ("=" at the end), or a
    // line that starts with a blank (folding).
    bool softBreak = qp;
    QByteArrayView next;
    bool nextCut = false;
    while (source_.Peek(&next, &nextCut)) {
      // Some phones end a card's last value with a soft break: the card's end is no part of it,
      // and the break's "=" is dropped below.
      if (softBreak && Is(Trimmed(next), "END:VCARD"))
        break;
      if (softBreak) {
        if (keep)
          ChopSoftBreak(&logical_);
      } else if (next.isEmpty() || (next.front() != ' ' && next.front() != '\t')) {
        break;
      } else {
        next = next.sliced(1);
      }
      softBreak = softBreak && EndsInSoftBreak(next);
      if (keep) {
        if (logical_.size() + next.size() > kMaxLine)
          logicalCut = true;
        else
          logical_.append(next);
      }
      logicalCut = logicalCut || nextCut;
      source_.Next(&next, &nextCut);
      if (!Tick())
        return false;
    }
    if (softBreak && keep)
      ChopSoftBreak(&logical_);  // a soft break with nothing after it
    if (!keep)
      return true;
    return Property(prop, logical_, logicalCut);
  }

  // Counts a line read; now and then asks the caller whether to go on. False: cancelled.
  bool Tick() {
    if (++lines_ % kProgressLines != 0 || !progress_ || progress_(source_.BytesRead()))
      return true;
    file_.cards.clear();
    file_.cancelled = true;
    return false;
  }

  bool Property(Prop prop, QByteArrayView line, bool cut) {
    const qsizetype colon = ValueColon(line);
    if (colon < 0)
      return true;  // not a property line
    const QByteArrayView value = line.sliced(colon + 1);
    if (prop == Prop::Begin) {
      if (!Is(Trimmed(value), "VCARD"))
        return true;
      if (inCard_ && (nested_ > 0 || afterAgent_)) {
        ++nested_;  // a card inside the card: passed over with it
        return true;
      }
      if (inCard_)
        EndCard(QStringLiteral("Die Karte ist unvollständig: END:VCARD fehlt."));
      if (cards_ >= kMaxImportCards) {
        file_.cards.clear();
        file_.error = QStringLiteral(
                          "Die Datei enthält mehr als %1 Karten. Bitte teilen Sie sie "
                          "in kleinere Dateien auf.")
                          .arg(kMaxImportCards);
        return false;
      }
      inCard_ = true;
      ++cards_;
      props_.clear();
      store_.resize(0);
      return true;
    }
    if (prop == Prop::End) {
      if (Is(Trimmed(value), "VCARD") && nested_ > 0)
        --nested_;
      else if (Is(Trimmed(value), "VCARD"))
        EndCard(QString());
      return true;
    }
    RawProp p;
    p.prop = prop;
    p.cut = cut;
    const QByteArrayView head = line.first(colon);
    const qsizetype semicolon = head.indexOf(';');
    if (semicolon >= 0)
      ReadParams(head.sliced(semicolon + 1), &p, &store_);
    p.valueBegin = store_.size();
    store_.append(value);
    p.valueEnd = store_.size();
    props_.push_back(p);
    return true;
  }

  void EndCard(const QString& refusal) {
    inCard_ = false;
    nested_ = 0;
    ImportCard card;
    card.number = cards_;
    CardMaker(props_, store_, unicode_, &card).Make();
    if (!refusal.isEmpty())
      card.refusal = refusal;
    file_.cards.push_back(std::move(card));
  }

  LineSource source_;
  const ReadProgress& progress_;
  const bool unicode_;
  ImportFile file_;
  QByteArray logical_;
  bool inCard_ = false;
  bool agentLine_ = false;   // the last property line was an empty AGENT
  bool afterAgent_ = false;  // this one follows it
  int nested_ = 0;           // the depth of cards inside the card
  qsizetype cards_ = 0;
  qint64 lines_ = 0;
  std::vector<RawProp> props_;
  QByteArray store_;  // the values and charsets of the card's kept properties
};

}  // namespace

ImportFile ReadVCards(QIODevice& in, const ReadProgress& progress) {
  // A file in UTF-16 is read as the same text in UTF-8; the cards then say which characters
  // they hold.
  std::optional<ImportFile> wide =
      ReadUtf16(in, progress, true, [](QIODevice& text, const ReadProgress& scaled) {
        return Reader(text, scaled, true).Read();
      });
  return wide ? std::move(*wide) : Reader(in, progress).Read();
}

ImportFile ReadVCards(const QByteArray& bytes) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  return ReadVCards(buffer);
}

}  // namespace mainwindow
