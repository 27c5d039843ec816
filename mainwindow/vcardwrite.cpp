#include "mainwindow/vcardwrite.h"

#include <array>
#include <cstring>
#include <vector>

#include "store/cp1252.h"
#include "store/recordtable.h"

namespace mainwindow {
namespace {

// Lines of a card are at most 75 octets long; a longer line goes on in a continuation line
// that starts with a blank.
constexpr qsizetype kLineOctets = 75;

// The UTF-8 bytes of each Windows-1252 byte, so a value goes from the store's bytes into the
// file without being turned into text first.
struct Utf8Table {
  std::array<std::array<char, 4>, 256> bytes{};  // [0]: length, then the bytes
  Utf8Table() {
    for (int b = 0; b < 256; ++b) {
      const char byte = char(b);
      const QByteArray utf8 = store::FromCp1252(QByteArrayView(&byte, 1)).toUtf8();
      bytes[size_t(b)][0] = char(utf8.size());
      std::memcpy(bytes[size_t(b)].data() + 1, utf8.constData(), size_t(utf8.size()));
    }
  }
};

const Utf8Table& Utf8() {
  static const Utf8Table table;
  return table;
}

// The file, written through a plain pointer: a card is made of many short pieces, and a call
// per piece into QByteArray would cost more than the copying itself.
class Out {
 public:
  explicit Out(qsizetype reserve) : bytes_(qMax<qsizetype>(reserve, 256), Qt::Uninitialized) {}
  // Room for n more bytes at the returned place; Advance to where the writing stopped.
  char* Room(qsizetype n) {
    if (bytes_.size() - used_ < n)
      bytes_.resize(qMax(2 * bytes_.size(), used_ + n));
    return bytes_.data() + used_;
  }
  void Advance(const char* to) { used_ = to - bytes_.constData(); }
  QByteArray Take() {
    bytes_.truncate(used_);
    return std::move(bytes_);
  }

 private:
  QByteArray bytes_;
  qsizetype used_ = 0;
};

// Writes a text value in UTF-8 at p with "\", ",", ";" and line breaks escaped; returns the
// end. Room for twice the value's size is needed.
char* PutEscaped(char* p, QByteArrayView utf8) {
  for (const char c : utf8) {
    switch (c) {
      case '\\':
      case ',':
      case ';':
        *p++ = '\\';
        *p++ = c;
        break;
      case '\r':
        break;  // a CR LF pair is one line break; a CR alone is dropped with it
      case '\n':
        *p++ = '\\';
        *p++ = 'n';
        break;
      default:
        *p++ = c;
    }
  }
  return p;
}

// Appends the logical line to out, folded at 75 octets. A cut never falls inside a UTF-8
// sequence: it moves back to the sequence's first byte.
void PutFolded(Out* out, QByteArrayView line) {
  // Every 74 octets at most three more (CR LF blank), and the last CR LF.
  char* p = out->Room(line.size() + line.size() / 24 + 8);
  qsizetype limit = kLineOctets;
  while (line.size() > limit) {
    qsizetype cut = limit;
    while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
      --cut;
    std::memcpy(p, line.data(), size_t(cut));
    p += cut;
    std::memcpy(p, "\r\n ", 3);
    p += 3;
    line = line.sliced(cut);
    limit = kLineOctets - 1;  // the blank that starts the continuation counts
  }
  std::memcpy(p, line.data(), size_t(line.size()));
  p += line.size();
  std::memcpy(p, "\r\n", 2);
  out->Advance(p + 2);
}

// The card of one record from its fifteen values as UTF-8 bytes.
class CardWriter {
 public:
  explicit CardWriter(Out* out) : out_(out) {}

  void Card(const std::array<QByteArrayView, store::kFieldCount>& v) {
    using namespace store;
    Put("BEGIN:VCARD\r\nVERSION:4.0\r\n");
    // FN is required in every card: "Vorname Name", or the one of the two that is there.
    char* p = Line(3 + 2 * (v[kVorname].size() + v[kName].size()) + 1);
    std::memcpy(p, "FN:", 3);
    p = PutEscaped(p + 3, v[kVorname]);
    if (!v[kVorname].isEmpty() && !v[kName].isEmpty())
      *p++ = ' ';
    p = PutEscaped(p, v[kName]);
    Fold(p);
    Structured("N:", {v[kName], v[kVorname], {}, {}, {}});
    if (!v[kFirma].isEmpty() || !v[kKurzzeichen].isEmpty()) {
      if (v[kKurzzeichen].isEmpty()) {
        Structured("ORG:", {v[kFirma]});
      } else {
        Structured("ORG:", {v[kFirma], v[kKurzzeichen]});
      }
    }
    Single("TITLE:", v[kPosition]);
    if (!v[kStrasse].isEmpty() || !v[kOrt].isEmpty() || !v[kPLZ].isEmpty()) {
      Structured("ADR;TYPE=work:", {{}, {}, v[kStrasse], v[kOrt], {}, v[kPLZ], {}});
    }
    Single("TEL;TYPE=work,voice:", v[kTelefon1]);
    // A reader gives the first work number the first field; a second one alone says that it
    // is the second, or it would move up into the first field on the way back.
    Single(v[kTelefon1].isEmpty() ? "TEL;TYPE=work,voice;X-PELLUMO-FELD=Telefon2:"
                                  : "TEL;TYPE=work,voice:",
           v[kTelefon2]);
    Single("TEL;TYPE=work,fax:", v[kFax]);
    Single("TEL;TYPE=cell:", v[kHandy]);
    Single("EMAIL;TYPE=work:", v[kEMail]);
    Single("X-PELLUMO-KURZWAHL:", v[kKurzwahl]);
    Single("X-PELLUMO-INTERN:", v[kIRuf]);
    Put("END:VCARD\r\n");
  }

 private:
  void Put(QByteArrayView text) {
    char* p = out_->Room(text.size());
    std::memcpy(p, text.data(), size_t(text.size()));
    out_->Advance(p + text.size());
  }

  // A scratch line with room for n bytes.
  char* Line(qsizetype n) {
    if (qsizetype(line_.size()) < n)
      line_.resize(size_t(n));
    return line_.data();
  }
  void Fold(const char* end) { PutFolded(out_, QByteArrayView(line_.data(), end - line_.data())); }

  void Single(QByteArrayView head, QByteArrayView value) {
    if (value.isEmpty())
      return;
    char* p = Line(head.size() + 2 * value.size());
    std::memcpy(p, head.data(), size_t(head.size()));
    Fold(PutEscaped(p + head.size(), value));
  }

  void Structured(QByteArrayView head, std::initializer_list<QByteArrayView> components) {
    qsizetype size = head.size() + qsizetype(components.size());
    for (const QByteArrayView& component : components)
      size += 2 * component.size();
    char* p = Line(size);
    std::memcpy(p, head.data(), size_t(head.size()));
    p += head.size();
    bool first = true;
    for (const QByteArrayView& component : components) {
      if (!first)
        *p++ = ';';
      first = false;
      p = PutEscaped(p, component);
    }
    Fold(p);
  }

  Out* out_;
  std::vector<char> line_;
};

// Turns Windows-1252 values into UTF-8 views held in one buffer.
class Utf8Values {
 public:
  void Set(int field, QByteArrayView cp1252) {
    // At most three bytes of UTF-8 per byte.
    if (qsizetype(buffer_.size()) < used_ + 3 * cp1252.size())
      buffer_.resize(size_t(2 * (used_ + 3 * cp1252.size())));
    char* const begin = buffer_.data() + used_;
    char* p = begin;
    const Utf8Table& table = Utf8();
    for (const char c : cp1252) {
      if (static_cast<unsigned char>(c) < 0x80) {
        *p++ = c;
        continue;
      }
      const auto& seq = table.bytes[static_cast<unsigned char>(c)];
      std::memcpy(p, seq.data() + 1, 3);
      p += seq[0];
    }
    begin_[size_t(field)] = used_;
    used_ = p - buffer_.data();
    end_[size_t(field)] = used_;
  }
  void SetText(int field, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (qsizetype(buffer_.size()) < used_ + utf8.size())
      buffer_.resize(size_t(2 * (used_ + utf8.size())));
    std::memcpy(buffer_.data() + used_, utf8.constData(), size_t(utf8.size()));
    begin_[size_t(field)] = used_;
    used_ += utf8.size();
    end_[size_t(field)] = used_;
  }
  void Clear() {
    used_ = 0;
    begin_.fill(0);
    end_.fill(0);
  }
  std::array<QByteArrayView, store::kFieldCount> Views() const {
    std::array<QByteArrayView, store::kFieldCount> views;
    for (size_t i = 0; i < views.size(); ++i)
      views[i] = QByteArrayView(buffer_.data() + begin_[i], end_[i] - begin_[i]);
    return views;
  }

 private:
  std::vector<char> buffer_ = std::vector<char>(4096);
  qsizetype used_ = 0;
  std::array<qsizetype, store::kFieldCount> begin_{};
  std::array<qsizetype, store::kFieldCount> end_{};
};

}  // namespace

QByteArray VCardOf(const store::RecordValues& values) {
  Utf8Values utf8;
  for (int field = 0; field < store::kFieldCount; ++field)
    utf8.SetText(field, values[size_t(field)]);
  Out out(1024);
  CardWriter(&out).Card(utf8.Views());
  return out.Take();
}

QByteArray ExportVCards(const store::RecordStore& records, const QStringList& keys) {
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
  // A card is usually somewhat larger than its section in the store.
  Out out(records.Bytes().size() + records.Bytes().size() / 2 + 64);
  CardWriter writer(&out);
  Utf8Values utf8;
  store::RecordTable::RowValues raw;
  for (qsizetype row = 0; row < table.Size(); ++row) {
    utf8.Clear();
    if (records.IsUtf8() && records.HasSection(keys.at(row))) {
      // A store kept in UTF-8 (saved by another program) may hold characters that Windows-1252
      // has none for; the card, UTF-8 too, takes its values as they stand. (A section this
      // lookup misses, for a letter case it does not fold, is read as below.)
      const auto values = records.RawRecord(keys.at(row));
      for (int field = 0; field < store::kFieldCount; ++field) {
        if (values[size_t(field)])
          utf8.SetText(field, QString::fromUtf8(*values[size_t(field)]));
      }
    } else if (table.HasSection(row)) {
      table.RawRow(row, &raw);
      for (int field = 0; field < store::kFieldCount; ++field) {
        if (raw[size_t(field)])
          utf8.Set(field, *raw[size_t(field)]);
      }
    } else {
      // The key is "Name,Vorname": the first comma divides the two (a name with a comma of
      // its own is divided too early, but the person still leaves with a card).
      const QString& key = keys.at(row);
      const qsizetype comma = key.indexOf(QLatin1Char(','));
      utf8.SetText(store::kName, comma < 0 ? key : key.left(comma));
      utf8.SetText(store::kVorname, comma < 0 ? QString() : key.mid(comma + 1));
    }
    writer.Card(utf8.Views());
  }
  return out.Take();
}

}  // namespace mainwindow
