// Cards as mail programs and phones give the vCard export back (Google and Apple Contacts,
// Outlook, Thunderbird), thousands in one file and with photos, imported through the main
// window into a new address book: every person comes back with the values in their fields.
#include <QFile>

#include "tests/mainwindow/exchange_fixture.h"

namespace mainwindowtest {
namespace {

// A photo as the programs write it: base64 folded at 75 octets (3.0), in indented lines ended
// by an empty one (2.1), or in one unfolded data URI of more than a kept line (4.0).
QByteArray Photo(int style) {
  const QByteArray base64 = QByteArray(3000, 'A').toBase64();
  if (style == 0) {
    QByteArray folded = "PHOTO;ENCODING=b;TYPE=JPEG:";
    for (qsizetype i = 0; i < base64.size(); i += 74)
      folded += (i ? " " : "") + base64.mid(i, 74) + "\r\n";
    return folded;
  }
  if (style == 1) {
    QByteArray lines = "PHOTO;TYPE=JPEG;ENCODING=BASE64:\r\n";
    for (qsizetype i = 0; i < base64.size(); i += 72)
      lines += "    " + base64.mid(i, 72) + "\r\n";
    return lines + "\r\n";
  }
  return "PHOTO:data:image/jpeg;base64," + QByteArray(100000, 'Q') + "\r\n";
}

QByteArray Card(int i) {
  const QByteArray n = QByteArray::number(i).rightJustified(4, '0');
  switch (i % 3) {
    case 0:  // Google and Apple Contacts
      return "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\n"
             "N:N" +
             n + ";J\xC3\xB6rg;;;\r\nFN:J\xC3\xB6rg N" + n +
             "\r\nORG:M\xC3\xBCller\\, S\xC3\xB6hne;Einkauf\r\n"
             "item1.TEL;type=pref:0761 " +
             n +
             "\r\nitem1.X-ABLabel:_$!<Work>!$_\r\n"
             "TEL;type=CELL;type=VOICE:0171 " +
             n +
             "\r\n"
             "item2.ADR;type=WORK;type=pref:;;Hof " +
             n +
             ";Freiburg;;79100;Deutschland\r\n"
             "item2.X-ABADR:de\r\n" +
             Photo(0) + "END:VCARD\r\n";
    case 1:  // Outlook
      return "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=de;CHARSET=Windows-1252:N" + n +
             ";J\xF6rg\r\nFN;CHARSET=Windows-1252:J\xF6rg N" + n +
             "\r\nORG;CHARSET=Windows-1252:M\xFCller, S\xF6hne;Einkauf\r\n"
             "TEL;WORK;VOICE:0761 " +
             n + "\r\nTEL;CELL;VOICE:0171 " + n +
             "\r\n"
             "ADR;WORK;PREF;ENCODING=QUOTED-PRINTABLE:;;Hof " +
             n +
             ";Freiburg;;79100;Deutschland\r\n"
             "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE:Hof " +
             n + "=0D=0A=\r\n79100 Freiburg\r\n" + Photo(1) + "END:VCARD\r\n";
    default:  // Thunderbird
      return "BEGIN:VCARD\r\nVERSION:4.0\r\nN:N" + n + ";J\xC3\xB6rg;;;\r\nFN:J\xC3\xB6rg N" + n +
             "\r\nORG:M\xC3\xBCller\\, S\xC3\xB6hne;Einkauf\r\n"
             "TEL;TYPE=work;VALUE=TEXT:0761 " +
             n + "\r\nTEL;TYPE=cell;VALUE=URI:tel:0171 " + n + "\r\nADR;TYPE=work:;;Hof " + n +
             ";Freiburg;;79100;\r\n" + Photo(2) + "UID:" + n + "\r\nEND:VCARD\r\n";
  }
}

using PhonebookTest = ExchangeWindowTest;

TEST_F(PhonebookTest, thousandsOfCardsOfThreeProgramsWithPhotos_allComeBackInTheirFields) {
  constexpr int kCards = 3000;
  QByteArray file;
  QByteArray names;
  QByteArray records;
  for (int i = 0; i < kCards; ++i) {
    file += Card(i);
    const QByteArray n = "N" + QByteArray::number(i).rightJustified(4, '0');
    names += n + ",J\xF6rg\r\n";
    records += Section(n + ",J\xF6rg", {{store::kVorname, "J\xF6rg"},
                                        {store::kName, n},
                                        {store::kFirma, "M\xFCller, S\xF6hne"},
                                        {store::kKurzzeichen, "Einkauf"},
                                        {store::kStrasse, "Hof " + n.mid(1)},
                                        {store::kPLZ, "79100"},
                                        {store::kOrt, "Freiburg"},
                                        {store::kTelefon1, "0761 " + n.mid(1)},
                                        {store::kHandy, "0171 " + n.mid(1)}});
  }
  data.Write(QStringLiteral("telefon.vcf"), file);
  Open(QByteArray(), QByteArray());
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("telefon.vcf")));
  ExpectSummary();
  Trigger("Importieren1");
  EXPECT_EQ(heading.toStdString(), "Importierte Adressen: 3000 von 3000.");
  EXPECT_EQ(listText.toStdString(), "");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), names);
  EXPECT_TRUE(Store() == records);
  EXPECT_EQ(Entries().size(), kCards);
}

}  // namespace
}  // namespace mainwindowtest
