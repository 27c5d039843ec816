// The vCard reader on cards as real programs write them, and on bad input.
#include <gtest/gtest.h>
#include <QIODevice>

#include "mainwindow/vcardread.h"

namespace {

using mainwindow::ImportCard;
using mainwindow::ImportFile;
using mainwindow::ReadVCards;

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// A file of `size` bytes made on the fly: `head`, then `fill` repeated, then `tail`. Lets a
// test read 100 MB without holding them.
class GeneratedFile : public QIODevice {
 public:
  GeneratedFile(QByteArray head, QByteArray fill, QByteArray tail, qint64 size)
      : head_(std::move(head)), fill_(std::move(fill)), tail_(std::move(tail)), size_(size) {
    open(QIODevice::ReadOnly);
  }
  qint64 size() const override { return size_; }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 max) override {
    qint64 n = 0;
    while (n < max && pos_ < size_) {
      char c;
      if (pos_ < head_.size())
        c = head_[pos_];
      else if (pos_ >= size_ - tail_.size())
        c = tail_[pos_ - (size_ - tail_.size())];
      else
        c = fill_[(pos_ - head_.size()) % fill_.size()];
      data[n++] = c;
      ++pos_;
    }
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QByteArray head_, fill_, tail_;
  qint64 size_;
  qint64 pos_ = 0;
};

TEST(VCardReadTest, outlookVersion21_charsetQuotedPrintableSoftBreaksAndBareTypes) {
  const QByteArray file =
      "BEGIN:VCARD\r\n"
      "VERSION:2.1\r\n"
      "N;LANGUAGE=de;CHARSET=Windows-1252:M\xFCller;J\xFCrgen\r\n"
      "FN;CHARSET=Windows-1252:J\xFCrgen M\xFCller\r\n"
      "ORG:Lindner GmbH;Einkauf\r\n"
      "TITLE:Eink\xE4ufer\r\n"
      "TEL;WORK;VOICE:07651 1\r\n"
      "TEL;HOME;VOICE:07651 2\r\n"
      "TEL;CELL;VOICE:0171 3\r\n"
      "TEL;WORK;FAX:07651 4\r\n"
      "TEL;VOICE:07651 5\r\n"
      "ADR;WORK;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Hauptstra=C3=9Fe 1;Titisee-Neu=\r\n"
      "stadt;;79822;Deutschland\r\n"
      "EMAIL;PREF;INTERNET:j.mueller@example.org\r\n"
      "EMAIL;INTERNET:privat@example.org\r\n"
      "PHOTO;TYPE=JPEG;ENCODING=BASE64:\r\n"
      " /9j/4AAQSkZJRgABAQEASABIAAD\r\n"
      " AAAA\r\n"
      "\r\n"
      "END:VCARD\r\n";
  const ImportFile read = ReadVCards(file);
  ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
  ASSERT_EQ(read.cards.size(), 1u);
  const ImportCard& card = read.cards[0];
  EXPECT_TRUE(card.refusal.isEmpty()) << card.refusal.toStdString();
  const store::RecordValues& v = card.values;
  EXPECT_EQ(v[store::kName], U("Müller"));
  EXPECT_EQ(v[store::kVorname], U("Jürgen"));
  EXPECT_EQ(v[store::kFirma], "Lindner GmbH");
  EXPECT_EQ(v[store::kKurzzeichen], "Einkauf");
  EXPECT_EQ(v[store::kPosition], U("Einkäufer"));  // no CHARSET, not UTF-8: the Windows code page
  EXPECT_EQ(v[store::kTelefon1], "07651 1");
  EXPECT_EQ(v[store::kTelefon2], "07651 2");
  EXPECT_EQ(v[store::kHandy], "0171 3");
  EXPECT_EQ(v[store::kFax], "07651 4");
  EXPECT_EQ(v[store::kStrasse], U("Hauptstraße 1"));
  EXPECT_EQ(v[store::kOrt], "Titisee-Neustadt");
  EXPECT_EQ(v[store::kPLZ], "79822");
  EXPECT_EQ(v[store::kEMail], "j.mueller@example.org");
  EXPECT_EQ(card.leftOut, (QStringList{U("weitere Telefonnummer „07651 5“"),
                                       U("weitere E-Mail-Adresse „privat@example.org“")}));
  EXPECT_EQ(card.name, U("Jürgen Müller"));
  EXPECT_EQ(mainwindow::Where(card), "Karte 1");
}

TEST(VCardReadTest, appleVersion30_groupsRepeatedTypeParamsEscapesAndSeveralAddresses) {
  const QByteArray file =
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "PRODID:-//Apple Inc.//macOS 13.0//EN\r\n"
      "N:Sch\xC3\xA4"
      "fer;K\xC3\xA4the;;Dr.;\r\n"
      "FN:Dr. K\xC3\xA4the Sch\xC3\xA4"
      "fer\r\n"
      "ORG:Sch\xC3\xA4"
      "fer & Co\\, KG;\r\n"
      "item1.TEL;type=pref:+49 761 1\r\n"
      "item1.X-ABLabel:Zentrale\r\n"
      "TEL;type=CELL;type=VOICE;type=pref:+49 171 2\r\n"
      "TEL;type=WORK;type=FAX:+49 761 3\r\n"
      "item2.EMAIL;type=INTERNET;type=pref:kaethe@example.org\r\n"
      "ADR;type=HOME:;;Privatweg 1;Bonn;;53111;\r\n"
      "item3.ADR;type=WORK;type=pref:;;Marktpl. 2\\; Hof;Freiburg;;79098;Deutschland\r\n"
      "item3.X-ABADR:de\r\n"
      "NOTE:Zeile eins\\nZeile zwei\r\n"
      "END:VCARD\r\n";
  const ImportFile read = ReadVCards(file);
  ASSERT_EQ(read.cards.size(), 1u);
  const ImportCard& card = read.cards[0];
  EXPECT_TRUE(card.refusal.isEmpty());
  const store::RecordValues& v = card.values;
  EXPECT_EQ(v[store::kName], U("Schäfer"));
  EXPECT_EQ(v[store::kVorname], U("Käthe"));
  EXPECT_EQ(v[store::kFirma], U("Schäfer & Co, KG"));
  EXPECT_EQ(v[store::kKurzzeichen], "");
  EXPECT_EQ(v[store::kTelefon1], "+49 761 1");
  EXPECT_EQ(v[store::kHandy], "+49 171 2");
  EXPECT_EQ(v[store::kFax], "+49 761 3");
  EXPECT_EQ(v[store::kEMail], "kaethe@example.org");
  // The work address wins over the home address that stands before it.
  EXPECT_EQ(v[store::kStrasse], "Marktpl. 2; Hof");
  EXPECT_EQ(v[store::kOrt], "Freiburg");
  EXPECT_EQ(v[store::kPLZ], "79098");
  EXPECT_EQ(card.leftOut, (QStringList{U("Namenszusatz „Dr.“"),
                                       U("weitere Anschrift „Privatweg 1, Bonn, 53111“")}));
}

TEST(VCardReadTest, version40_foldedLinesQuotedTypeListsAndTelUris) {
  const QByteArray file =
      "BEGIN:VCARD\r\n"
      "VERSION:4.0\r\n"
      "FN:Anna Meier\r\n"
      "N:Meier;Anna;;;\r\n"
      "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+49-7651-93410\r\n"
      "TEL;TYPE=fax,work;VALUE=uri:tel:+49-7651-934199\r\n"
      "TEL;TYPE=\"cell\":0171 2233445\r\n"
      "EMAIL;TYPE=work:anna.meier@lindner-moebel.exa\r\n"
      " mple\r\n"
      "TITLE:Gesch\xC3\xA4"
      "ftsf\xC3\r\n"
      "\t\xBC"
      "hrerin\r\n"
      "X-PELLUMO-KURZWAHL:11\r\n"
      "X-PELLUMO-INTERN:100\r\n"
      "END:VCARD\r\n";
  const ImportFile read = ReadVCards(file);
  ASSERT_EQ(read.cards.size(), 1u);
  const store::RecordValues& v = read.cards[0].values;
  EXPECT_EQ(v[store::kTelefon1], "+49-7651-93410");
  EXPECT_EQ(v[store::kFax], "+49-7651-934199");
  EXPECT_EQ(v[store::kHandy], "0171 2233445");
  EXPECT_EQ(v[store::kEMail], "anna.meier@lindner-moebel.example");
  // Folded inside a UTF-8 sequence (which a writer should not do): joined before decoding.
  EXPECT_EQ(v[store::kPosition], U("Geschäftsführerin"));
  EXPECT_EQ(v[store::kKurzwahl], "11");
  EXPECT_EQ(v[store::kIRuf], "100");
  EXPECT_TRUE(read.cards[0].leftOut.isEmpty());
}

TEST(VCardReadTest, byteOrderMarkLfOnly_nameFromNOrFromFn_manyCardsInFileOrder) {
  const QByteArray file =
      "\xEF\xBB\xBF"
      "BEGIN:VCARD\nVERSION:3.0\nN:Berg;Ute\nEND:VCARD\n"
      "begin:vcard\nversion:3.0\nfn:Paul Dietrich\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Hans-Peter von Gro\xC3\x9F\nN:;;;;\nEND:VCARD";
  const ImportFile read = ReadVCards(file);
  ASSERT_EQ(read.cards.size(), 3u);
  EXPECT_EQ(read.cards[0].values[store::kName], "Berg");
  EXPECT_EQ(read.cards[0].values[store::kVorname], "Ute");
  EXPECT_EQ(read.cards[0].name, "Ute Berg");
  EXPECT_EQ(read.cards[1].values[store::kName], "Dietrich");
  EXPECT_EQ(read.cards[1].values[store::kVorname], "Paul");
  // Without a name in N, the last word of FN is the name.
  EXPECT_EQ(read.cards[2].values[store::kName], U("Groß"));
  EXPECT_EQ(read.cards[2].values[store::kVorname], "Hans-Peter von");
  EXPECT_EQ(mainwindow::Where(read.cards[2]), "Karte 3");
}

// Letters written decomposed (a base letter and a combining mark, as some programs write
// UTF-8) are read composed, so that the store's code page holds them.
TEST(VCardReadTest, decomposedLetters_areReadComposed) {
  const ImportFile read =
      ReadVCards(QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mu\xCC\x88ller;Jo\xCC\x88rg\r\n"
                            "ADR;TYPE=work:;;Stra\xC3\x9F"
                            "e 1;Ko\xCC\x88ln;;50667;\r\nEND:VCARD\r\n"));
  ASSERT_EQ(read.cards.size(), 1u);
  EXPECT_EQ(read.cards[0].values[store::kName], U("Müller"));
  EXPECT_EQ(read.cards[0].values[store::kVorname], U("Jörg"));
  EXPECT_EQ(read.cards[0].values[store::kOrt], U("Köln"));
  EXPECT_EQ(read.cards[0].name, U("Jörg Müller"));
}

TEST(VCardReadTest, cardsThatCannotBeRead_getTheirReason_otherCardsStillCount) {
  const QByteArray file =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kurz;Karl\r\n"  // no END: the next BEGIN cuts it off
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN;CHARSET=x-klingonisch:A;B\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:4.0\r\nN:M\xFCller;Anna\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lindner GmbH\r\nORG:Lindner GmbH\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Gut;Gerda\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ende;Emil\r\n";  // the file ends inside the card
  const ImportFile read = ReadVCards(file);
  ASSERT_TRUE(read.error.isEmpty());
  ASSERT_EQ(read.cards.size(), 6u);
  EXPECT_EQ(read.cards[0].refusal, U("Die Karte ist unvollständig: END:VCARD fehlt."));
  EXPECT_EQ(read.cards[1].refusal,
            U("Die Karte ist in einem unbekannten Zeichensatz geschrieben (x-klingonisch)."));
  EXPECT_EQ(read.cards[2].refusal,
            U("Die Karte enthält Text, der nicht in UTF-8 geschrieben ist."));
  EXPECT_EQ(read.cards[3].refusal, U("Die Karte nennt keine Person, nur die Firma."));
  EXPECT_TRUE(read.cards[4].refusal.isEmpty());
  EXPECT_EQ(read.cards[5].refusal, U("Die Karte ist unvollständig: END:VCARD fehlt."));
  EXPECT_EQ(read.cards[5].name, "Emil Ende");
}

TEST(VCardReadTest, binaryOrEmptyOrOtherText_isNoVCardFile) {
  const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10", 20);
  EXPECT_EQ(ReadVCards(png).error, U("Die Datei enthält Binärdaten und ist keine vCard-Datei."));
  EXPECT_TRUE(ReadVCards(png).cards.empty());
  EXPECT_EQ(ReadVCards(QByteArray()).error, U("Die Datei enthält keine vCard."));
  EXPECT_EQ(ReadVCards("Vorname;Name\r\nAnna;Meier\r\n").error,
            U("Die Datei enthält keine vCard."));
}

// Windows programs that write UTF-16 mark it with a byte order mark; both byte orders are read.
TEST(VCardReadTest, utf16WithByteOrderMark_isReadAsItsText) {
  const QString text =
      U("BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\u00fcller;J\u00fcrgen\r\n"
        "ORG:Stra\u00dfenbau GmbH\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zhang;\u6770\r\nEND:VCARD\r\n");
  for (const bool little : {true, false}) {
    QByteArray bytes = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
      const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
      bytes.append(little ? low : high).append(little ? high : low);
    }
    const ImportFile read = ReadVCards(bytes);
    ASSERT_TRUE(read.error.isEmpty()) << qPrintable(read.error);
    ASSERT_EQ(read.cards.size(), 2u);
    EXPECT_EQ(read.cards[0].values[store::kName], U("M\u00fcller"));
    EXPECT_EQ(read.cards[0].values[store::kVorname], U("J\u00fcrgen"));
    EXPECT_EQ(read.cards[0].values[store::kFirma], U("Stra\u00dfenbau GmbH"));
    EXPECT_EQ(read.cards[1].values[store::kVorname], U("\u6770"));
  }
}

TEST(VCardReadTest, megabyteLines_photoAndNotePassedOver_aTooLongFieldRefusesItsCard) {
  const QByteArray photo(1 << 20, 'A');
  QByteArray folded;
  for (int i = 0; i < 16384; ++i)
    folded += " " + QByteArray(63, 'x') + "\r\n";
  const QByteArray file =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Foto;Fritz\r\nPHOTO;ENCODING=b:" + photo + "\r\nNOTE:\r\n" +
      folded +
      "TEL:0761 1\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lang;Lena\r\nTEL:" +
      photo + "\r\nEND:VCARD\r\n";
  const ImportFile read = ReadVCards(file);
  ASSERT_EQ(read.cards.size(), 2u);
  EXPECT_TRUE(read.cards[0].refusal.isEmpty());
  EXPECT_EQ(read.cards[0].values[store::kTelefon1], "0761 1");
  EXPECT_EQ(read.cards[1].refusal, U("Eine Zeile der Karte ist zu lang."));
}

TEST(VCardReadTest, hundredMegabytes_readInBlocks) {
  // One card with a photo of 100 MB in folded lines, and a file that is one endless line.
  GeneratedFile photo("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Foto;Fritz\r\nPHOTO;ENCODING=b:\r\n",
                      " QUJDRA==QUJDRA==QUJDRA==QUJDRA==QUJDRA==QUJDRA==QUJDRA==QUJDRA==\r\n",
                      "\r\nEND:VCARD\r\n", 100 << 20);
  qint64 lastProgress = 0;
  const ImportFile read = ReadVCards(photo, [&](qint64 done) {
    lastProgress = done;
    return true;
  });
  ASSERT_EQ(read.cards.size(), 1u);
  EXPECT_TRUE(read.cards[0].refusal.isEmpty());
  EXPECT_GT(lastProgress, 99 << 20);

  GeneratedFile endless("", "0123456789abcdef", "", 100 << 20);
  EXPECT_EQ(ReadVCards(endless).error, U("Die Datei enthält keine vCard."));
}

TEST(VCardReadTest, progressSaysNo_readingStopsWithoutCards) {
  QByteArray file;
  for (int i = 0; i < 5000; ++i)
    file += "BEGIN:VCARD\r\nN:Name" + QByteArray::number(i) + ";Vor\r\nEND:VCARD\r\n";
  GeneratedFile device(file, "x", "", file.size());
  const ImportFile read = ReadVCards(device, [](qint64) { return false; });
  EXPECT_TRUE(read.cancelled);
  EXPECT_TRUE(read.cards.empty());
  EXPECT_EQ(ReadVCards(file).cards.size(), 5000u);
}

TEST(VCardReadTest, moreCardsThanTheLimit_theFileIsRefused) {
  const QByteArray card = "BEGIN:VCARD\nN:a;b\nEND:VCARD\n";
  GeneratedFile many("", card, "", card.size() * (mainwindow::kMaxImportCards + 1));
  const ImportFile read = ReadVCards(many);
  EXPECT_TRUE(read.cards.empty());
  EXPECT_EQ(read.error, U("Die Datei enthält mehr als 200000 Karten. Bitte teilen Sie sie in "
                          "kleinere Dateien auf."));
}

}  // namespace
