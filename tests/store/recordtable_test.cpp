#include "store/recordtable.h"

#include <gtest/gtest.h>

#include "store/cp1252.h"
#include "store/recordstore.h"

namespace {

using store::AllFields;
using store::FieldBit;
using store::RecordStore;

// Every awkward thing a store written by hand or by several workstations may hold.
QByteArray AwkwardStore() {
  return QByteArray(
      "; written by hand\r\n"
      "[M\xFCller,Anna]\r\n"
      "Vorname=Anna\r\n"
      "Name=M\xFCller\r\n"
      "Ort = \"K\xF6ln\" \r\n"
      "Ort=Second line loses\r\n"
      "  plz='12345'\r\n"
      "; EMail=commented@out\r\n"
      "Firma\r\n"
      "IRuf=\r\n"
      "[M\xDCLLER,ANNA]\r\n"
      "Vorname=Second section loses\r\n"
      "Telefon1=999\r\n"
      "  [ Meier,Karl ]  trailing text\r\n"
      "Name=Meier\n"
      "EMail=\"unbalanced\r"
      "Handy='x\"\r\n"
      "[\x9A\xE9\xFF]\r\n"
      "Kurzwahl=\x80 7\r\n"
      "[Empty]\r\n"
      "[Last,One]\r\n"
      "Strasse=  Hauptstra\xDF"
      "e 1\t\r\n"
      "Fax=1",
      -1);
}

QStringList Keys() {
  return {
      store::FromCp1252("M\xFCller,Anna"),
      store::FromCp1252("m\xFCLLER,anna"),  // the same section in other letter case
      QStringLiteral(" Meier,Karl "),       // blanks around a key are ignored
      store::FromCp1252("\x8A\xC9\x9F"),    // folds to the section written in small letters
      QStringLiteral("Empty"),
      QStringLiteral("Missing,Key"),  // no section
      QStringLiteral("Last,One"),
      store::FromCp1252("M\xFCller,Anna"),  // asked twice
      QString(),
  };
}

// Compares every row and field of a bulk read with the single-record read.
void ExpectSameAsRecord(const RecordStore& rs, const QStringList& keys, store::FieldMask mask) {
  const store::RecordTable table = rs.ReadRecords(keys, mask);
  ASSERT_EQ(table.Size(), keys.size());
  store::RecordTable::RowValues outside;
  outside.fill(QByteArrayView("stale"));
  table.RawRow(keys.size(), &outside);
  for (const auto& value : outside)
    EXPECT_FALSE(value.has_value());
  // The row walk gives every row once, in list order, as RawRow gives it.
  qsizetype walked = 0;
  for (store::RecordRows rows(table); rows.Next(); ++walked) {
    ASSERT_EQ(rows.Row(), walked);
    EXPECT_EQ(rows.HasSection(), table.HasSection(walked));
    store::RecordTable::RowValues values;
    table.RawRow(walked, &values);
    for (int field = 0; field < store::kFieldCount; ++field) {
      EXPECT_EQ(rows.Raw(field), values[field]);
      EXPECT_EQ(rows.Value(field), values[field].value_or(QByteArrayView("Error")));
    }
  }
  EXPECT_EQ(walked, keys.size());
  // A walk over a part of the list gives the same rows, and a part past the end stops there.
  for (qsizetype from : {qsizetype(0), keys.size() / 3, keys.size()}) {
    qsizetype row = from;
    for (store::RecordRows rows(table, from, keys.size() + 5); rows.Next(); ++row) {
      ASSERT_EQ(rows.Row(), row);
      for (int field = 0; field < store::kFieldCount; ++field)
        EXPECT_EQ(rows.Raw(field), table.Raw(row, field));
    }
    EXPECT_EQ(row, keys.size());
  }
  for (qsizetype row = 0; row < keys.size(); ++row) {
    SCOPED_TRACE(keys[row].toStdString());
    EXPECT_EQ(table.HasSection(row), rs.HasSection(keys[row]));
    // The whole row at once, over values left from another row, agrees field by field.
    store::RecordTable::RowValues whole;
    whole.fill(QByteArrayView("stale"));
    table.RawRow(row, &whole);
    for (int field = 0; field < store::kFieldCount; ++field) {
      const auto one = table.Raw(row, field);
      ASSERT_EQ(whole[field].has_value(), one.has_value()) << field;
      if (one) {
        EXPECT_EQ(whole[field]->data(), one->data());
        EXPECT_EQ(whole[field]->size(), one->size());
      }
    }
    bool hasSection = !rs.HasSection(keys[row]);
    const store::RecordValues values = rs.Record(keys[row], &hasSection);
    EXPECT_EQ(hasSection, rs.HasSection(keys[row]));
    const auto raw = rs.RawRecord(keys[row]);
    for (int field = 0; field < store::kFieldCount; ++field) {
      SCOPED_TRACE(field);
      if (mask & FieldBit(field)) {
        EXPECT_EQ(table.Text(row, field), values[field]);
        ASSERT_EQ(table.Raw(row, field).has_value(), raw[field].has_value());
        if (raw[field]) {
          EXPECT_EQ(table.Raw(row, field)->toByteArray(), raw[field]->toByteArray());
        }
      } else {
        EXPECT_FALSE(table.Raw(row, field).has_value());
        EXPECT_EQ(table.Text(row, field), store::MissingValue());
      }
    }
  }
}

TEST(RecordTable, everyFieldOfEveryKey_matchesTheSingleRecordRead) {
  const RecordStore rs(AwkwardStore());
  ExpectSameAsRecord(rs, Keys(), AllFields());
}

TEST(RecordTable, someFields_onlyThoseAreRead) {
  const RecordStore rs(AwkwardStore());
  ExpectSameAsRecord(rs, Keys(), FieldBit(store::kOrt) | FieldBit(store::kEMail));
  ExpectSameAsRecord(rs, Keys(), FieldBit(store::kIRuf));
  ExpectSameAsRecord(rs, Keys(), 0);
}

TEST(RecordTable, valuesAsReadByHand) {
  const RecordStore rs(AwkwardStore());
  const store::RecordTable t = rs.ReadRecords(Keys(), AllFields());
  EXPECT_EQ(t.Text(0, store::kOrt), store::FromCp1252("K\xF6ln"));  // first line, unquoted
  EXPECT_EQ(t.Text(1, store::kVorname), QStringLiteral("Anna"));    // first section wins
  EXPECT_EQ(t.Text(0, store::kTelefon1), store::MissingValue());    // not in the first section
  EXPECT_EQ(t.Text(0, store::kPLZ), QStringLiteral("12345"));
  EXPECT_EQ(t.Text(0, store::kEMail), store::MissingValue());  // only in a comment
  EXPECT_EQ(t.Text(0, store::kIRuf), QString());               // there, but empty
  EXPECT_TRUE(t.Raw(0, store::kIRuf).has_value());
  EXPECT_EQ(t.Text(2, store::kEMail), QStringLiteral("\"unbalanced"));
  EXPECT_EQ(t.Text(3, store::kKurzwahl), QString::fromUtf8("\u20AC 7"));
  EXPECT_TRUE(t.HasSection(4));
  EXPECT_FALSE(t.HasSection(5));
  EXPECT_EQ(t.Text(6, store::kStrasse), store::FromCp1252("Hauptstra\xDF"
                                                          "e 1"));
  EXPECT_EQ(t.Text(6, store::kFax), QStringLiteral("1"));  // last line without line end
  EXPECT_FALSE(t.HasSection(8));
  EXPECT_FALSE(t.HasSection(-1));
  EXPECT_FALSE(t.HasSection(t.Size()));
  EXPECT_FALSE(t.Raw(t.Size(), store::kName).has_value());
}

TEST(RecordTable, longValueIsCut_andTheViewOutlivesTheStore) {
  const QByteArray longValue(5000, 'x');
  store::RecordTable table;
  {
    const RecordStore rs(QByteArray("[A]\r\nName=") + longValue + "\r\n");
    table = rs.ReadRecords({QStringLiteral("a")}, FieldBit(store::kName));
  }
  ASSERT_TRUE(table.Raw(0, store::kName).has_value());
  EXPECT_EQ(table.Raw(0, store::kName)->toByteArray(), longValue.left(1023));
}

// Stores pieced together at random from lines that test the scanner's every turn: keys in
// and out of order, in other letter case, with blanks, twice; headers that are none; every
// kind of line end; long values. The bulk read must agree with the single-record read.
TEST(RecordTable, randomStores_matchTheSingleRecordRead) {
  const char* const names[] = {"A", "b", "M\xFCller,Anna", "m\xDCLLER,anna", "C,D", ""};
  const char* const lines[] = {
      "Vorname=v",
      "Name=n",
      "Position=p",
      "Kurzzeichen=k",
      "Firma=f",
      "Strasse=s",
      "PLZ=12345",
      "Ort=o",
      "Telefon1=1",
      "Telefon2=2",
      "Fax=3",
      "Handy=4",
      "EMail=e",
      "Kurzwahl=5",
      "IRuf=6",
      "vorname=lower",
      "  Name  =  ' blanks ' ",
      "\tOrt\t=\ttab",
      "; Fax=comment",
      "Firma",
      "",
      "[no header",
      "x[y]=z",
      "[b] tail]",
      "IRuf=\"q\"",
      "Strasse=a rather long value that spans several eight-byte words of the line",
      "Vorname==two",
      "=no key",
      "EMail",
      "Name= padded\t",
      "Position='quoted'",
      "Vorname=\"q"};
  const char* const ends[] = {"\r\n", "\n", "\r"};
  quint32 state = 12345;
  auto next = [&state](int n) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return int(state % quint32(n));
  };
  QStringList keys;
  for (const char* name : names)
    keys.append(store::FromCp1252(name));
  keys.append(QStringLiteral("Nowhere"));
  auto sections = [&](int count) {
    QByteArray bytes;
    for (int s = 0; s < count; ++s) {
      bytes += QByteArray(next(4) == 0 ? "  [ " : "[") + names[next(std::size(names))] + "]";
      bytes += ends[next(3)];
      for (int l = next(20); l > 0; --l) {
        bytes += lines[next(std::size(lines))];
        bytes += ends[next(3)];
      }
    }
    return bytes;
  };
  for (int round = 0; round < 300; ++round) {
    QByteArray bytes = sections(next(6));
    if (next(2) == 0)
      bytes.chop(1);  // a last line without its end, or a lone CR of a CR LF
    SCOPED_TRACE(bytes.toStdString());
    const RecordStore rs(bytes);
    ExpectSameAsRecord(rs, keys, AllFields());
    ExpectSameAsRecord(rs, keys, FieldBit(next(store::kFieldCount)));
    if (HasFailure())
      break;
  }
  // A large store is read in two parts at once, cut at a header near its middle: random
  // sections between two long comments put that cut at every place among them, with
  // sections of one name before and after it.
  for (int round = 0; round < 60; ++round) {
    const QByteArray middle = sections(4 + next(8));
    auto comment = [&]() -> QByteArray {
      return "; " + QByteArray(600000 + next(int(middle.size()) + 1), 'x') + "\r\n";
    };
    const QByteArray bytes = comment() + middle + comment();
    const RecordStore rs(bytes);
    ExpectSameAsRecord(rs, keys, AllFields());
    ExpectSameAsRecord(rs, keys, FieldBit(next(store::kFieldCount)));
    if (HasFailure()) {
      ADD_FAILURE() << middle.toStdString();
      break;
    }
  }
}

TEST(RecordTable, emptyStoreOrNoKeys) {
  const RecordStore empty;
  const store::RecordTable t = empty.ReadRecords({QStringLiteral("A")}, AllFields());
  EXPECT_EQ(t.Size(), 1);
  EXPECT_FALSE(t.HasSection(0));
  EXPECT_EQ(t.Text(0, store::kName), store::MissingValue());
  EXPECT_EQ(RecordStore(AwkwardStore()).ReadRecords({}, AllFields()).Size(), 0);
  EXPECT_EQ(store::RecordTable().Size(), 0);
}

}  // namespace
