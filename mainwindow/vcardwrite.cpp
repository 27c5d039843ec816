#include "mainwindow/vcardwrite.h"

#include <array>
#include <cstring>

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

// Appends a text value in UTF-8 with "\", ",", ";" and line breaks escaped.
void AppendEscaped(QByteArray* line, QByteArrayView utf8) {
  for (const char c : utf8) {
    switch (c) {
      case '\\':
        line->append("\\\\", 2);
        break;
      case ',':
        line->append("\\,", 2);
        break;
      case ';':
        line->append("\\;", 2);
        break;
      case '\r':
        break;  // a CR LF pair is one line break; a CR alone is dropped with it
      case '\n':
        line->append("\\n", 2);
        break;
      default:
        line->append(c);
    }
  }
}

// Appends the logical line to out, folded at 75 octets. A cut never falls inside a UTF-8
// sequence: it moves back to the sequence's first byte.
void AppendFolded(QByteArray* out, QByteArrayView line) {
  qsizetype limit = kLineOctets;
  while (line.size() > limit) {
    qsizetype cut = limit;
    while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
      --cut;
    out->append(line.first(cut));
    out->append("\r\n ", 3);
    line = line.sliced(cut);
    limit = kLineOctets - 1;  // the blank that starts the continuation counts
  }
  out->append(line);
  out->append("\r\n", 2);
}

// The fifteen values of one record as UTF-8 bytes, and the card made of them.
class CardWriter {
 public:
  explicit CardWriter(QByteArray* out) : out_(out) {}

  void Card(const std::array<QByteArrayView, store::kFieldCount>& v) {
    using namespace store;
    out_->append("BEGIN:VCARD\r\nVERSION:4.0\r\n");
    // FN is required in every card: "Vorname Name", or the one of the two that is there.
    line_.clear();
    line_.append("FN:");
    AppendEscaped(&line_, v[kVorname]);
    if (!v[kVorname].isEmpty() && !v[kName].isEmpty())
      line_.append(' ');
    AppendEscaped(&line_, v[kName]);
    AppendFolded(out_, line_);
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
    Single("TEL;TYPE=work,voice:", v[kTelefon2]);
    Single("TEL;TYPE=work,fax:", v[kFax]);
    Single("TEL;TYPE=cell:", v[kHandy]);
    Single("EMAIL;TYPE=work:", v[kEMail]);
    Single("X-PELLUMO-KURZWAHL:", v[kKurzwahl]);
    Single("X-PELLUMO-INTERN:", v[kIRuf]);
    out_->append("END:VCARD\r\n");
  }

 private:
  void Single(const char* head, QByteArrayView value) {
    if (value.isEmpty())
      return;
    line_.clear();
    line_.append(head);
    AppendEscaped(&line_, value);
    AppendFolded(out_, line_);
  }

  void Structured(const char* head, std::initializer_list<QByteArrayView> components) {
    line_.clear();
    line_.append(head);
    bool first = true;
    for (const QByteArrayView& component : components) {
      if (!first)
        line_.append(';');
      first = false;
      AppendEscaped(&line_, component);
    }
    AppendFolded(out_, line_);
  }

  QByteArray* out_;
  QByteArray line_;
};

// Turns Windows-1252 values into UTF-8 views held in one buffer.
class Utf8Values {
 public:
  void Set(int field, QByteArrayView cp1252) {
    begin_[size_t(field)] = buffer_.size();
    const Utf8Table& table = Utf8();
    for (const char c : cp1252) {
      const auto& seq = table.bytes[static_cast<unsigned char>(c)];
      buffer_.append(seq.data() + 1, seq[0]);
    }
    end_[size_t(field)] = buffer_.size();
  }
  void SetText(int field, const QString& text) {
    begin_[size_t(field)] = buffer_.size();
    buffer_.append(text.toUtf8());
    end_[size_t(field)] = buffer_.size();
  }
  void Clear() {
    buffer_.clear();
    begin_.fill(0);
    end_.fill(0);
  }
  std::array<QByteArrayView, store::kFieldCount> Views() const {
    std::array<QByteArrayView, store::kFieldCount> views;
    for (size_t i = 0; i < views.size(); ++i)
      views[i] = QByteArrayView(buffer_.constData() + begin_[i], end_[i] - begin_[i]);
    return views;
  }

 private:
  QByteArray buffer_;
  std::array<qsizetype, store::kFieldCount> begin_{};
  std::array<qsizetype, store::kFieldCount> end_{};
};

}  // namespace

QByteArray VCardOf(const store::RecordValues& values) {
  Utf8Values utf8;
  for (int field = 0; field < store::kFieldCount; ++field)
    utf8.SetText(field, values[size_t(field)]);
  QByteArray out;
  CardWriter(&out).Card(utf8.Views());
  return out;
}

QByteArray ExportVCards(const store::RecordStore& records, const QStringList& keys) {
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
  QByteArray out;
  // A card is usually somewhat larger than its section in the store.
  out.reserve(records.Bytes().size() + records.Bytes().size() / 2 + 64);
  CardWriter writer(&out);
  Utf8Values utf8;
  store::RecordTable::RowValues raw;
  for (qsizetype row = 0; row < table.Size(); ++row) {
    utf8.Clear();
    if (table.HasSection(row)) {
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
  return out;
}

}  // namespace mainwindow
