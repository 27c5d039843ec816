#include "store/profiletext.h"

#include <gtest/gtest.h>

#include "store/cp1252.h"
#include "store/profilescan.h"
#include "store/recordstore.h"

namespace {

using store::ProfileText;

QString Read(const QByteArray& bytes, const char* section, const char* key) {
  return ProfileText(bytes).Read(store::FromCp1252(section), store::FromCp1252(key),
                                 QStringLiteral("Error"));
}

TEST(ProfileText, namesMatchIgnoringCase_includingUmlautsAndAccents) {
  const QByteArray bytes("[M\xFCller,Anna]\r\nPLZ=12345\r\n[\x9A\xE9\xFF]\r\nEMail=x@y\r\n");
  EXPECT_EQ(Read(bytes, "M\xDCLLER,ANNA", "plz"), "12345");
  EXPECT_EQ(Read(bytes, "\x8A\xC9\x9F", "email"), "x@y");
  EXPECT_EQ(Read(bytes, "Muller,Anna", "PLZ"), "Error");
}

TEST(ProfileText, writeIntoExistingSectionAndKey_keepsSpellingInFile) {
  ProfileText p(QByteArray("[meier,anna]\r\nplz=1\r\n"));
  p.Write(u"MEIER,ANNA", u"PLZ", u"2");
  EXPECT_EQ(p.Bytes(), QByteArray("[meier,anna]\r\nplz=2\r\n"));
}

TEST(ProfileText, blanksAroundNamesAndInsideBrackets_areIgnored_textAfterBracketToo) {
  const QByteArray bytes("[ Meier,Anna ] comment\r\n  Ort =Berlin\r\n");
  EXPECT_EQ(Read(bytes, "  Meier,Anna ", " Ort  "), "Berlin");
  ProfileText p(bytes);
  EXPECT_EQ(store::profile::SectionNames(bytes), QStringList{"Meier,Anna"});
  p.Write(u"Meier,Anna", u"Ort", u"Bonn");
  EXPECT_EQ(p.Bytes(), QByteArray("[ Meier,Anna ] comment\r\nOrt=Bonn\r\n"));
}

TEST(ProfileText, headerNameEndsAtLastBracket_tabsInsideBracketsIgnored) {
  const QByteArray bytes("[a]b]\r\nk=1\r\n[\t X\t]\r\nk=2\r\nk=[y]\r\n");
  EXPECT_EQ(Read(bytes, "a]b", "k"), "1");
  EXPECT_EQ(Read(bytes, "a", "k"), "Error");
  EXPECT_EQ(Read(bytes, "x", "k"), "2");
  EXPECT_EQ(Read(bytes, "y", "k"), "Error");  // "[" inside a value starts no section
}

// A record saved on another workstation under a name with brackets is read, listed and erased
// like any other: its section name runs to the last "]" of the header line.
TEST(ProfileText, recordNameWithBrackets_readWrittenAndErasedWhole) {
  const QByteArray bytes(
      "[Schmidt [Vertr.],Hans]\r\nVorname=Hans\r\nName=Schmidt [Vertr.]\r\nFirma=A\r\n"
      "[Zander,Udo]\r\nName=Zander\r\n");
  const QString key = QStringLiteral("Schmidt [Vertr.],Hans");
  EXPECT_EQ(ProfileText(bytes).Read(key, u"Firma", QStringLiteral("Error")), "A");
  const store::RecordStore records(bytes);
  EXPECT_EQ(records.Record(key)[store::kName], QStringLiteral("Schmidt [Vertr.]"));
  const store::RecordTable table = records.ReadRecords({key}, store::AllFields());
  EXPECT_EQ(table.Text(0, store::kVorname), QStringLiteral("Hans"));
  EXPECT_EQ(store::profile::SectionNames(bytes), QStringList({key, "Zander,Udo"}));

  ProfileText p(bytes);
  p.Write(key, u"Firma", u"B");
  EXPECT_EQ(p.Bytes(), QByteArray(bytes).replace("Firma=A", "Firma=B"));
  p.EraseSection(key);
  EXPECT_EQ(p.Bytes(), QByteArray("[Zander,Udo]\r\nName=Zander\r\n"));
}

// A file that starts with a UTF-8 byte-order mark: its first record is read like any other,
// a save replaces that record instead of adding a second one, and values are UTF-8 both ways.
TEST(ProfileText, utf8FileWithByteOrderMark_firstLineReadNormally_valuesStayUtf8) {
  const QByteArray bom("\xEF\xBB\xBF");
  const QByteArray bytes =
      bom +
      "[M\xC3\xBCller,Anna]\r\nOrt=K\xC3\xB6ln \xC5\x81\xC3\xB3\x64\xC5\xBA\r\n[B]\r\nk=1\r\n";
  const QString key = QString::fromUtf8("M\u00fcller,Anna");
  const QString town = QString::fromUtf8("K\u00f6ln \u0141\u00f3d\u017a");
  EXPECT_EQ(ProfileText(bytes).Read(key, u"Ort", QStringLiteral("Error")), town);
  EXPECT_EQ(store::profile::SectionNames(bytes), QStringList({key, "B"}));
  // A name with bytes that are no UTF-8 could never be asked for, so it is not listed.
  EXPECT_EQ(store::profile::SectionNames(QByteArray(bytes + "[Meier,Ann\xC7\xC7]\r\nk=2\r\n")),
            QStringList({key, "B"}));

  ProfileText p(bytes);
  p.Write(key, u"Ort", QString::fromUtf8("D\u00fcren"));
  p.Write(u"Neu", u"Stra\u00dfe", u"\u00c4");
  EXPECT_EQ(p.Bytes(), bom +
                           "[M\xC3\xBCller,Anna]\r\nOrt=D\xC3\xBCren\r\n[B]\r\nk=1\r\n"
                           "[Neu]\r\nStra\xC3\x9F"
                           "e=\xC3\x84\r\n");
  p.EraseSection(key);
  EXPECT_EQ(p.Bytes(), bom +
                           "[B]\r\nk=1\r\n[Neu]\r\nStra\xC3\x9F"
                           "e=\xC3\x84\r\n");

  // The record store: exact text for one record; Windows-1252 bytes for the bulk read.
  const store::RecordStore records(bytes);
  EXPECT_TRUE(records.HasSection(key));
  EXPECT_EQ(records.Record(key)[store::kOrt], town);
  EXPECT_EQ(records.Value(key, u"ort"), town);
  const store::RecordTable table = records.ReadRecords({key}, store::FieldBit(store::kOrt));
  EXPECT_EQ(table.Raw(0, store::kOrt)->toByteArray(), QByteArray("K\xF6ln ?\xF3"
                                                                 "d?"));
}

// A key line without "=" (left by damage) reads as no key; writing that key replaces the line,
// so other workstations, which find that line first, see the value written.
TEST(ProfileText, keyLineWithoutEquals_isReplacedWhenThatKeyIsWritten) {
  ProfileText p(QByteArray("[A]\r\nFirma\r\n  ort \r\n;Fax\r\nName=N\r\n"));
  EXPECT_EQ(p.Read(u"A", u"Firma", QStringLiteral("Error")), "Error");
  p.WriteSection(u"A", {{"FIRMA", "F"}, {"Ort", "O"}, {"Fax", "x"}});
  // A comment is no key line.
  EXPECT_EQ(p.Bytes(), QByteArray("[A]\r\nFirma=F\r\nort=O\r\n;Fax\r\nName=N\r\nFax=x\r\n"));
}

// The service hands values out as C strings: a NUL byte inside a value ends it.
TEST(ProfileText, nulByteInsideValue_endsTheValue) {
  const QByteArray bytes("[A]\r\nName=ab\0cd\r\nOrt=\"x\0y\"\r\nFax=\0\r\nVorname=v\r\n", 46);
  EXPECT_EQ(Read(bytes, "A", "Name"), "ab");
  EXPECT_EQ(Read(bytes, "A", "Ort"), "x");
  EXPECT_EQ(Read(bytes, "A", "Fax"), "");
  const store::RecordStore records(bytes);
  const store::RecordValues values = records.Record(QStringLiteral("A"));
  EXPECT_EQ(values[store::kName], "ab");
  EXPECT_EQ(values[store::kOrt], "x");
  EXPECT_EQ(values[store::kFax], "");
  EXPECT_EQ(values[store::kVorname], "v");
  // The bulk read agrees, also for a record written as this program writes one (its keys in
  // their usual order) with a NUL byte in every value, at every place, and for quoted values.
  QByteArray written = "[C]\r\n";
  for (int i = 0; i < store::kFieldCount; ++i) {
    const int field = store::StoreOrder()[size_t(i)];
    QByteArray value = QByteArray("abcdefghijklmnopq").left(i + 2);
    value[i % value.size()] = '\0';
    if (i % 4 == 3)
      value = '"' + value + '"';
    written += QByteArray(store::Fields()[size_t(field)].storeKey) + '=' + value + "\r\n";
  }
  written += "[D]\r\nFirma=" + QByteArray(64, 'f') + "\r\n";
  const store::RecordStore store(written);
  const store::RecordValues expected = store.Record(QStringLiteral("C"));
  const store::RecordTable table = store.ReadRecords({"C"}, store::AllFields());
  for (int field = 0; field < store::kFieldCount; ++field) {
    EXPECT_FALSE(expected[field].contains(QChar(0))) << field;
    EXPECT_EQ(table.Text(0, field), expected[field]) << field;
  }
}

TEST(ProfileText, missingFileSectionOrKey_giveDefault_emptyValueGivesEmpty) {
  const QByteArray bytes("[A]\r\nleer=\r\n");
  EXPECT_EQ(Read(QByteArray(), "A", "leer"), "Error");
  EXPECT_EQ(Read(bytes, "B", "leer"), "Error");
  EXPECT_EQ(Read(bytes, "A", "fehlt"), "Error");
  EXPECT_EQ(Read(bytes, "A", "leer"), "");
}

TEST(ProfileText, valuesAreTrimmedUnquotedOnceAndCutTo1023) {
  QByteArray bytes("[A]\r\nq=\t\" a \" \r\ns=' b '\r\nmixed=\"c'\r\ntwice=\"\"d\"\"\r\n");
  bytes += "long=" + QByteArray(1500, 'x') + "\r\n";
  EXPECT_EQ(Read(bytes, "A", "q"), " a ");
  EXPECT_EQ(Read(bytes, "A", "s"), " b ");
  EXPECT_EQ(Read(bytes, "A", "mixed"), "\"c'");
  EXPECT_EQ(Read(bytes, "A", "twice"), "\"d\"");
  EXPECT_EQ(Read(bytes, "A", "long"), QString(1023, 'x'));
  ProfileText p;
  p.Write(u"A", u"k", u" \"v\" ");
  // Written inside one more pair of quotes, so that it reads back as written.
  EXPECT_EQ(p.Bytes(), QByteArray("[A]\r\nk=\" \"v\" \"\r\n"));
  EXPECT_EQ(p.Read(u"A", u"k", "Error"), " \"v\" ");
}

TEST(ProfileText, commentsOtherLinesAndDuplicates) {
  const QByteArray bytes(
      "x=before\r\n[A]\r\n ;k=comment\r\nplain line\r\nk=a;b\r\nk=second\r\n[a]\r\nz=1\r\n");
  EXPECT_EQ(Read(bytes, "A", "k"), "a;b");             // ";" inside a value is data
  EXPECT_EQ(Read(bytes, "A", "plain line"), "Error");  // a line without "=" is no key
  EXPECT_EQ(Read(bytes, "A", "z"), "Error");           // only the first section "A" is searched
  EXPECT_EQ(Read(bytes, "", "x"), "Error");            // lines before the first section
  ProfileText p(bytes);
  p.Write(u"A", u"k", u"neu");
  EXPECT_EQ(p.Bytes(), QByteArray("x=before\r\n[A]\r\n ;k=comment\r\nplain line\r\nk=neu\r\n"
                                  "k=second\r\n[a]\r\nz=1\r\n"));
}

TEST(ProfileText, newKeyGoesAfterLastLineOfSection_newSectionAtEnd) {
  ProfileText p(QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=1"));
  p.Write(u"A", u"c", u"3");
  p.Write(u"B", u"d", u"4");
  p.WriteSection(u"C", {{"x", "1"}, {"y", ""}});
  EXPECT_EQ(p.Bytes(),
            QByteArray("[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=1\r\nd=4\r\n[C]\r\nx=1\r\ny=\r\n"));
}

TEST(ProfileText, firstWriteCreatesTheText_eraseRemovesHeaderAndAllLines) {
  ProfileText p;
  p.Write(u"App", u"key", u"value");
  EXPECT_EQ(p.Bytes(), QByteArray("[App]\r\nkey=value\r\n"));
  ProfileText q(QByteArray("[A]\r\na=1\r\n;c\r\n\r\n[B]\r\nb=2\r\n[b]\r\nb=3\r\n"));
  q.EraseSection(u"b");
  EXPECT_EQ(q.Bytes(), QByteArray("[A]\r\na=1\r\n;c\r\n\r\n[b]\r\nb=3\r\n"));
  q.EraseSection(u"fehlt");
  EXPECT_EQ(q.Bytes(), QByteArray("[A]\r\na=1\r\n;c\r\n\r\n[b]\r\nb=3\r\n"));
}

TEST(ProfileText, readsLfAndCrLineEnds_writesCp1252CrLf) {
  EXPECT_EQ(Read("[A]\nk=1\n[B]\nk=2", "B", "k"), "2");
  EXPECT_EQ(Read("[A]\rk=1\r[B]\rk=2\r", "B", "k"), "2");
  ProfileText p(QByteArray("[A]\nk=1\n"));
  p.Write(u"A", u"m", QString::fromUtf8("Straße €"));
  EXPECT_EQ(p.Bytes(), QByteArray("[A]\nk=1\nm=Stra\xDF"
                                  "e \x80\r\n"));
  EXPECT_EQ(Read(p.Bytes(), "A", "m"), QString::fromUtf8("Straße €"));
}

TEST(ProfileText, writeSectionReplacesInPlaceAndAppendsInWriteOrder) {
  ProfileText p(QByteArray("[A]\r\nb=old\r\n[B]\r\n"));
  p.WriteSection(u"a", {{"c", "3"}, {"B", "new"}, {"d", "4"}});
  EXPECT_EQ(p.Bytes(), QByteArray("[A]\r\nb=new\r\nc=3\r\nd=4\r\n[B]\r\n"));
}

TEST(ProfileText, lineBreakInValue_cannotSplitTheLine) {
  ProfileText p;
  p.Write(u"A", u"k", u"x\r\n[B]");
  EXPECT_EQ(p.Bytes(), QByteArray("[A]\r\nk=x  [B]\r\n"));
  EXPECT_FALSE(p.HasSection(u"B"));
}

}  // namespace

// Erasing many sections in one pass leaves the same bytes as erasing them one by one: every
// copy of a name, names in another letter case or with blanks, neighbours, the last section,
// a name given twice, names that are not there, and a UTF-8 file.
TEST(ProfileText, eraseEverySectionOf_sameBytesAsErasingEachInTurn) {
  const QByteArray cp1252(
      "; Kopf\r\n[Abel,Karl]\r\nOrt=A\r\n[ M\xFCller,Anna ]\r\nOrt=B\r\n\r\n[Zorn,Udo]\r\n"
      "Ort=C\r\n[abel,karl]\r\nOrt=D\r\n[Meier,[Team]]\r\nOrt=E\r\n[Berg,Ute]\r\nOrt=F");
  const QByteArray utf8("\xEF\xBB\xBF[M\xC3\xBCller,Anna]\r\nOrt=B\r\n[Zorn,Udo]\r\nOrt=C\r\n");
  const QList<QStringList> nameLists = {
      {},
      {"Fehlt,Fritz"},
      {"ABEL,KARL"},
      {"Abel,Karl", store::FromCp1252("M\xDCLLER,ANNA"), "Abel,Karl"},
      {"Zorn,Udo", "Meier,[Team]", "Berg,Ute"},
      {"Abel,Karl", store::FromCp1252("M\xFCller,Anna"), "Zorn,Udo", "Meier,[Team]", "Berg,Ute"},
  };
  for (const QByteArray& file : {cp1252, utf8}) {
    for (const QStringList& names : nameLists) {
      SCOPED_TRACE(names.join(QLatin1Char('|')).toStdString());
      ProfileText inTurn(file);
      for (const QString& name : names) {
        while (inTurn.HasSection(name))
          inTurn.EraseSection(name);
      }
      ProfileText atOnce(file);
      atOnce.EraseEverySectionOf(names);
      EXPECT_EQ(atOnce.Bytes(), inTurn.Bytes());
    }
  }
  ProfileText all(cp1252);
  all.EraseEverySectionOf(nameLists.last());
  EXPECT_EQ(all.Bytes(), QByteArray("; Kopf\r\n"));
}
