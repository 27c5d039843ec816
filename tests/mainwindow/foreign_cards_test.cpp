// Cards as other programs and old machines write them, imported through the real main window:
// the character sets and line ends of their files, and cards inside cards.
#include "tests/mainwindow/exchange_fixture.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;
using viewsfixtures::Section;

const QByteArray kNames = "Alt,Bea\r\n";
const QByteArray kStore = Person("Alt", "Bea", "Zeta");

class ForeignCardsTest : public ExchangeWindowTest {
 protected:
  // Imports the bytes as a file of that name; the summary is kept in heading and listText.
  void Import(const QString& file, const QByteArray& bytes) {
    data.Write(file, bytes);
    dialogs.boxes.clear();
    heading.clear();
    listText.clear();
    dialogs.fileAnswers.enqueue(data.File(file));
    ExpectSummary();
    Trigger("Importieren1");
  }
};

// The text in UTF-16, with or without byte order mark, as Windows programs save it.
QByteArray Utf16(const QByteArray& utf8, bool littleEndian, bool mark) {
  QByteArray out;
  if (mark)
    out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
  for (const QChar c : QString::fromUtf8(utf8)) {
    const char low = char(c.unicode() & 0xFF);
    const char high = char(c.unicode() >> 8);
    out.append(littleEndian ? low : high).append(littleEndian ? high : low);
  }
  return out;
}

QByteArray Card(const QByteArray& version, const QByteArray& lines) {
  return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + lines + "END:VCARD\r\n";
}

// Windows can save its contacts in UTF-16 without the mark in front; such a file is a vCard
// file all the same, not binary data.
TEST_F(ForeignCardsTest, utf16WithoutByteOrderMark_isReadAsItsText) {
  Open(kNames, kStore);
  Import("le.vcf", Utf16(Card("3.0", "N:Weiß;Ute\r\nTEL:1\r\n"), true, false));
  EXPECT_EQ(dialogs.Texts(), QStringList());
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  Import("be.vcf", Utf16(Card("2.1", "N:Öztürk;Ömer\r\n"), false, false));
  EXPECT_EQ(dialogs.Texts(), QStringList());
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(Names(), "Alt,Bea\r\n\xD6zt\xFCrk,\xD6mer\r\nWei\xDF,Ute\r\n");
  EXPECT_EQ(Store(), kStore +
                         Section("Wei\xDF,Ute",
                                 {{"Vorname", "Ute"}, {"Name", "Wei\xDF"}, {"Telefon1", "1"}}) +
                         Section("\xD6zt\xFCrk,\xD6mer", {{"Vorname", "\xD6mer"},
                                                          {"Name",
                                                           "\xD6zt\xFC"
                                                           "rk"}}));
}

// A UTF-16 file holds Unicode text whatever CHARSET its cards name, as Outlook's 2.1 cards
// do; only bytes written quoted-printable are in that character set.
TEST_F(ForeignCardsTest, utf16CardNamingACharset_takesItsTextAsWritten) {
  Open(kNames, kStore);
  Import("outlook.vcf",
         Utf16(Card("2.1",
                    "N;CHARSET=Windows-1252:Jäger;Jörg\r\n"
                    "ORG;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:B=E4ckerei\r\n"),
               true, true));
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(Names(), "Alt,Bea\r\nJ\xE4ger,J\xF6rg\r\n");
  EXPECT_EQ(Store(), kStore + Section("J\xE4ger,J\xF6rg", {{"Vorname", "J\xF6rg"},
                                                           {"Name", "J\xE4ger"},
                                                           {"Firma",
                                                            "B\xE4"
                                                            "ckerei"}}));
}

// Old phones and mail programs name their Windows-1252 bytes ISO-8859-1; the codes 128 to
// 159, control characters there, are the quotes, dashes and euro sign of the code page.
TEST_F(ForeignCardsTest, windowsBytesNamedIso88591_areReadAsTheCodePage) {
  Open(kNames, kStore);
  Import("phone.vcf", Card("2.1",
                           "N;CHARSET=ISO-8859-1:Quast;Ren\xE9\r\n"
                           "TITLE;CHARSET=iso-8859-1;ENCODING=QUOTED-PRINTABLE:=84Chef=93 =96 "
                           "5 =80\r\n"));
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Store(), kStore + Section("Quast,Ren\xE9", {{"Vorname", "Ren\xE9"},
                                                        {"Name", "Quast"},
                                                        {"Position",
                                                         "\x84"
                                                         "Chef\x93 \x96 5 \x80"}}));
}

// Some phones end a card's last quoted-printable value with a soft line break; the END:VCARD
// after it still ends the card, also on the file's last line without a line end.
TEST_F(ForeignCardsTest, softLineBreakBeforeEndVCard_cardStillEnds) {
  Open(kNames, kStore);
  Import("phone.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ende;Eva\r\nNOTE;ENCODING=QUOTED-PRINTABLE:x=0D=0A=\r\n"
         "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Gro=C3=9F=\r\nmann;Gre=\r\nta=\r\nEND:VCARD");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Names(), "Alt,Bea\r\nEnde,Eva\r\nGro\xDFmann,Greta\r\n");
}

// Mail programs may add blanks at the end of a line; after a soft line break they are no part
// of the value, and the break still joins the lines.
TEST_F(ForeignCardsTest, blanksAfterASoftLineBreak_breakStillJoinsTheLines) {
  Open(kNames, kStore);
  Import("mail.vcf", Card("2.1",
                          "N;ENCODING=QUOTED-PRINTABLE:Wei=DF= \t\r\nbach;Wi=  \r\nlma\r\n"
                          "TITLE;ENCODING=QUOTED-PRINTABLE:Chef= \r\nin\r\n"));
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Store(), kStore + Section("Wei\xDF"
                                      "bach,Wilma",
                                      {{"Vorname", "Wilma"},
                                       {"Name",
                                        "Wei\xDF"
                                        "bach"},
                                       {"Position", "Chefin"}}));
}

// Line ends of classic Macs (CR), of Unix (LF) and of Windows, also mixed in one file, without
// one at the end, an empty line in a card, blanks after END:VCARD, lower-case property names
// and text between the cards: the cards are read alike.
TEST_F(ForeignCardsTest, lineEndsAndTextAroundTheCards_cardsReadAlike) {
  Open(kNames, kStore);
  Import("mac.vcf",
         "BEGIN:VCARD\rVERSION:2.1\rN:Mac;Max\rTEL:1\rEND:VCARD\r"
         "BEGIN:VCARD\rVERSION:2.1\rN:Mac;Mia\rEND:VCARD\r");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  Import("mixed.vcf",
         "Adressen vom 1.1.\r\nbegin:vcard\r\nversion:3.0\nn:Mix;Mo\r\n\r\ntel:2\rend:vcard  \t\r\n"
         "-- Ende der ersten Karte --\nBEGIN:VCARD\nN:Mix;Mara\nEND:VCARD");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Store(),
            kStore + Section("Mac,Max", {{"Vorname", "Max"}, {"Name", "Mac"}, {"Telefon1", "1"}}) +
                Section("Mac,Mia", {{"Vorname", "Mia"}, {"Name", "Mac"}}) +
                Section("Mix,Mo", {{"Vorname", "Mo"}, {"Name", "Mix"}, {"Telefon1", "2"}}) +
                Section("Mix,Mara", {{"Vorname", "Mara"}, {"Name", "Mix"}}));

  // Ten thousand cards without a name: each is named in the summary, nothing is written.
  const QByteArray names = Names();
  const QByteArray store = Store();
  QByteArray empty;
  for (int i = 0; i < 10000; ++i)
    empty += "BEGIN:VCARD\r\nEND:VCARD\r\n";
  Import("leer.vcf", empty);
  EXPECT_EQ(heading, "Importierte Adressen: 0 von 10000.");
  EXPECT_TRUE(listText.endsWith("Karte 10000: Die Adresse hat keinen Namen."));
  EXPECT_EQ(Names(), names);
  EXPECT_EQ(Store(), store);
}

// A card with only a formatted name written "Name, Vorname", as address books sort people:
// the name is before the comma, not its last word.
TEST_F(ForeignCardsTest, formattedNameWithAComma_isNameCommaFirstName) {
  Open(kNames, kStore);
  Import("fn.vcf", Card("3.0", "FN:M\xC3\xBCller, Hans\r\n") + Card("3.0", "FN:Eva Ende\r\n"));
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(Names(), "Alt,Bea\r\nEnde,Eva\r\nM\xFCller,Hans\r\n");
}

// Letters a Mac wrote decomposed ("u" and a combining diaeresis) are the "ü" the files hold,
// also when the card names UTF-8 as its character set, as Android phones do.
TEST_F(ForeignCardsTest, decomposedLettersInACardNamingUtf8_areReadComposed) {
  Open(kNames, kStore);
  Import("android.vcf",
         Card("2.1", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Mu=CC=88ller;Ju=CC=88rgen\r\n"));
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Names(), "Alt,Bea\r\nM\xFCller,J\xFCrgen\r\n");
}

// Files put together with "copy /b" or "cat" bring each file's byte order mark along, in
// front of a card in the middle; that card counts as any other.
TEST_F(ForeignCardsTest, byteOrderMarkInFrontOfALaterCard_cardIsRead) {
  Open(kNames, kStore);
  const QByteArray one = "\xEF\xBB\xBF" + Card("3.0", "N:Eins;Emma\r\n");
  const QByteArray two = "\xEF\xBB\xBF" + Card("3.0", "N:Zwei;Zora\r\n");
  Import("alle.vcf", one + two);
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(Names(), "Alt,Bea\r\nEins,Emma\r\nZwei,Zora\r\n");
  Import("wide.vcf", Utf16(Card("2.1", "N:Drei;Dora\r\n"), true, true) +
                         Utf16(Card("2.1", "N:Vier;Vera\r\n"), true, true));
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(Names(), "Alt,Bea\r\nDrei,Dora\r\nEins,Emma\r\nVier,Vera\r\nZwei,Zora\r\n");
}

// Version 2.1 writes the card of a person's assistant inside the person's card, after an empty
// AGENT property. It belongs to that card: it neither ends it nor becomes a record itself. A
// card whose END:VCARD is missing still ends at the next card.
TEST_F(ForeignCardsTest, agentCardInsideACard_belongsToThatCard) {
  Open(kNames, kStore);
  Import("agent.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Chef;Carl\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N:Sekret\xE4r;Sina\r\nTEL:2\r\nEND:VCARD\r\nTEL;WORK:1\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nN:Ohne;Ende\r\nBEGIN:VCARD\r\nN:Mit;Ende\r\nEND:VCARD\r\n");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 3.");
  EXPECT_EQ(listText,
            "Nicht importiert:\nKarte 2 (Ende Ohne): Die Karte ist unvollständig: END:VCARD "
            "fehlt.");
  EXPECT_EQ(Names(), "Alt,Bea\r\nChef,Carl\r\nMit,Ende\r\n");
  EXPECT_EQ(Store(),
            kStore +
                Section("Chef,Carl", {{"Vorname", "Carl"}, {"Name", "Chef"}, {"Telefon1", "1"}}) +
                Section("Mit,Ende", {{"Vorname", "Ende"}, {"Name", "Mit"}}));
}

}  // namespace
}  // namespace mainwindowtest
