// The search's folding rules as a table: what is typed, what a field holds, found or not.
#include <gtest/gtest.h>

#include <iterator>

#include "store/cp1252.h"
#include "store/recordsearch.h"
#include "store/searchfold.h"

namespace {

struct Case {
  const char* typed;   // UTF-8, as typed into the search field
  int field;           // the field that holds the value
  const char* stored;  // Windows-1252 bytes, as in the record store
  bool found;
};

// A store of one record, Meier,Anna, whose field holds value.
store::RecordStore OneRecord(int field, const QByteArray& value) {
  return store::RecordStore("[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\n" +
                            QByteArray(store::Fields()[field].storeKey) + '=' + value + "\r\n");
}

bool Found(const Case& c) {
  const store::RecordStore records = OneRecord(c.field, QByteArray(c.stored));
  store::RecordSearch search(records, {QStringLiteral("Meier,Anna")});
  return !search.Find(QString::fromUtf8(c.typed)).Keys().isEmpty();
}

TEST(SearchFoldTest, lettersUmlautsAndSharpS) {
  const Case cases[] = {
      // Letter case, also outside Latin-1.
      {"freiburg", store::kOrt, "Freiburg", true},
      {"FREIBURG", store::kOrt, "freiburg", true},
      {"œuvre", store::kFirma,
       "\x8C"
       "UVRE",
       true},
      {"Œ", store::kFirma, "C\x9Cur", true},
      {"oe", store::kFirma,
       "\x8C"
       "uvre",
       true},
      {"šik", store::kFirma,
       "\x8A"
       "IK",
       true},
      {"ÿ", store::kFirma, "\x9F", true},
      {"É", store::kOrt, "caf\xE9", true},
      {"cafe", store::kOrt, "caf\xE9", false},  // accents other than the umlauts count
      // ä/ae, ö/oe, ü/ue, ß/ss, in both directions and by parts of words.
      {"muller", store::kFirma, "M\xFCller", true},
      {"Müller", store::kFirma, "Mueller", true},
      {"muller", store::kFirma, "Mueller", true},
      {"mueller", store::kFirma, "M\xDCLLER", true},
      {"Müller", store::kFirma, "Muller", true},
      {"eller", store::kFirma, "M\xFCller", true},
      {"mull", store::kFirma, "M\xFCller", true},
      {"Straße", store::kStrasse, "Hauptstrasse 1", true},
      {"strasse", store::kStrasse,
       "Hauptstra\xDF"
       "e 1",
       true},
      {"STRASSE", store::kStrasse,
       "Stra\xDF"
       "e",
       true},
      {"köln", store::kOrt, "Koeln", true},
      {"Koeln", store::kOrt, "K\xF6LN", true},
      {"Ärzte", store::kFirma, "Aerztehaus", true},
      {"Äsop", store::kFirma, "\xC6sop", true},
      {"euerb", store::kFirma, "Steuerberater", true},
      {"mil", store::kFirma, "M\xFCller", false},
      {"strase", store::kStrasse,
       "Stra\xDF"
       "e",
       false},
      // Every word must occur, each in some field (the key counts as a field).
      {"anna freiburg", store::kOrt, "Freiburg", true},
      {"  anna   FREI ", store::kOrt, "Freiburg", true},
      {"anna basel", store::kOrt, "Freiburg", false},
      {"meier,anna", store::kOrt, "", true},
      {"anna,meier", store::kOrt, "", false},
      // A missing field holds nothing, not the "Error" the window shows.
      {"error", store::kOrt, "", false},
      // Characters the store cannot hold find nothing.
      {"Meier ☎", store::kOrt, "", false},
      {"ẞ", store::kStrasse,
       "Stra\xDF"
       "e",
       false},
      // Nothing typed finds everything.
      {"", store::kOrt, "", true},
      {"   ", store::kOrt, "", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Found(c), c.found) << c.typed << " in " << c.stored;
}

TEST(SearchFoldTest, digitsMatchNumbersWithEverySeparatorAndPlus49) {
  const Case cases[] = {
      // Blanks, "/", "-", "(", ")" are passed over in the number, typed together or apart.
      {"0761 934", store::kTelefon1, "0761/93410-0", true},
      {"0761934", store::kTelefon1, "0761/93410-0", true},
      {"07619341", store::kTelefon1, "0761/93410-0", true},
      {"0761934100", store::kTelefon2, "0761 934 10 - 0", true},
      {"0761934100", store::kFax, "(0761) 93410-0", true},
      {"0761934100", store::kHandy, "0761-934-100", true},
      {"0761/9341", store::kTelefon1, "(0761) 934 100", true},
      {"(0761)", store::kTelefon1, "0761/934", true},
      // A leading "+49", also with "(0)" after it, is the "0" of a number dialled at home.
      {"0761934", store::kTelefon1, "+49 761 934", true},
      {"0761934", store::kTelefon1, "+49 (0)761 934", true},
      {"0761934", store::kTelefon1, "+49761934", true},
      {"+49761934", store::kTelefon1, "0761/934", true},
      {"+49 761", store::kTelefon1, "0761/934", true},
      // Speed-dial and internal numbers count as numbers too.
      {"1234", store::kKurzwahl, "12 34", true},
      {"4711", store::kIRuf, "47-11", true},
      // Other fields are text: a postal code matches, separators in it are not passed over.
      {"79098", store::kPLZ, "79098", true},
      {"7909", store::kStrasse, "Postfach 79 09", false},
      {"0761934", store::kEMail, "0761-934@example.de", false},
      // Digits must stand in this order, and a number of another country is not a German one.
      {"0761934", store::kTelefon1, "0761 943", false},
      {"0761", store::kTelefon1, "+41 761", false},
      {"0761", store::kTelefon1, "0049 761", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Found(c), c.found) << c.typed << " in " << c.stored;
}

TEST(SearchFoldTest, foldedForms) {
  EXPECT_EQ(store::SpelledOut("Stra\xDF"
                              "e \xC4\xD6\xDC\x8C"),
            QByteArray("strasse aeoeueoe"));
  EXPECT_EQ(store::Contracted("M\xFCller Mueller Quelle"), QByteArray("muller muller qulle"));
  EXPECT_EQ(store::SpelledOut("a\r\nb"), QByteArray("a  b"));  // line breaks separate fields
  EXPECT_EQ(store::PhoneDigits("+49 (0)761 / 934 10-0"), QByteArray("0761934100"));
  EXPECT_EQ(store::PhoneDigits(" +49-761"), QByteArray("0761"));
  EXPECT_EQ(store::PhoneDigits("0761 ext. 5"), QByteArray("0761ext.5"));

  const auto words = store::SearchWords(QStringLiteral(" 0761/934  Müller "));
  ASSERT_TRUE(words.has_value());
  ASSERT_EQ(words->size(), 2u);
  EXPECT_EQ(words->at(0).digits, QByteArray("0761934"));
  EXPECT_EQ(words->at(0).spelledOut, QByteArray("0761/934"));
  EXPECT_TRUE(words->at(1).digits.isEmpty());
  EXPECT_EQ(words->at(1).spelledOut, QByteArray("mueller"));
  EXPECT_EQ(words->at(1).contracted, QByteArray("muller"));
  EXPECT_FALSE(store::SearchWords(QStringLiteral("M\u00fcller \u20ac \u0100")).has_value());
  EXPECT_TRUE(store::SearchWords(QStringLiteral("\u20ac")).has_value());  // in Windows-1252
}

// Long texts are folded eight bytes at a time where they are plain ASCII. The same text folded
// byte by byte must come out alike wherever the umlauts, capitals, "ae"/"oe"/"ue" and the
// bytes next to "A", "Z", "a", "z" and 0x20 stand relative to the eight-byte steps.
TEST(SearchFoldTest, longTextsFoldAsByteByByte) {
  const QByteArray pieces[] = {"Mue",  "LLER", "\xFC",   "\xDF", "e",    "a", "O",
                               "E",    "u",    "@[`{",   "AZaz", "\x1F", " ", "x",
                               "\x8C", "\xC4", "Quelle", "\x7F", "uee"};
  // One byte at a time, the first byte of each step followed by the rest alone.
  auto byByte = [](QByteArray (*fold)(QByteArrayView), const QByteArray& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); i += 7)  // steps of seven never align with eight
      out += fold(text.mid(i, 7));
    return out;
  };
  quint32 seed = 17;
  for (int round = 0; round < 400; ++round) {
    QByteArray text;
    while (text.size() < 40) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % std::size(pieces)];
    }
    EXPECT_EQ(store::SpelledOut(text), byByte(store::SpelledOut, text)) << text.toHex().data();
    // Contracting is cut where a step ends on a vowel, so it is compared on whole texts
    // written with a blank after every byte: no "e" follows a vowel there.
    QByteArray spaced;
    for (char c : text)
      spaced += QByteArray(1, c) + ' ';
    const QByteArray spelled = store::SpelledOut(spaced);
    QByteArray contracted = spelled;
    for (const char* pair : {"ae", "oe", "ue"})
      contracted.replace(pair, QByteArray(1, pair[0]));
    EXPECT_EQ(store::Contracted(spaced), contracted) << spaced.toHex().data();
    EXPECT_EQ(store::Contracted(text), store::Contracted(store::SpelledOut(text)))
        << text.toHex().data();
    // And on the text as it is, against the rule applied byte by byte: an "e" goes when the
    // spelled-out byte before it is "a", "o" or "u", also across the eight-byte steps.
    QByteArray oneByOne;
    char before = 0;
    for (char c : store::SpelledOut(text)) {
      if (!(c == 'e' && (before == 'a' || before == 'o' || before == 'u')))
        oneByOne += c;
      before = c;
    }
    EXPECT_EQ(store::Contracted(text), oneByOne) << text.toHex().data();
  }
}

}  // namespace

// A word whose contracted form is left out finds exactly what it found with it: over short
// texts and words of the letters contracting is about, every pair is compared with the rule
// applied in full.
TEST(SearchFoldTest, aWordWithoutItsContractedFormFindsTheSame) {
  const char letters[] = {'a', 'o', 'u', 'e', 'l', '\xE4', '\xFC', 'E'};
  auto textOf = [&](quint32 n, int length) {
    QByteArray text;
    for (int i = 0; i < length; ++i, n /= std::size(letters))
      text += letters[n % std::size(letters)];
    return text;
  };
  int leftOut = 0;
  for (quint32 w = 0; w < 8 * 8 * 8; ++w) {
    const QByteArray typed = textOf(w, 1 + int(w % 3));
    const auto words = store::SearchWords(store::FromCp1252(typed));
    ASSERT_TRUE(words && words->size() == 1);
    const store::SearchWord& word = words->front();
    leftOut += word.contracted.isEmpty();
    for (quint32 t = 0; t < 8 * 8 * 8 * 8; t += 7) {
      const QByteArray text = textOf(t, 4);
      const bool spelled = store::SpelledOut(text).contains(word.spelledOut);
      const bool full = spelled || store::Contracted(text).contains(store::Contracted(typed));
      const bool asSearched = spelled || (!word.contracted.isEmpty() &&
                                          store::Contracted(text).contains(word.contracted));
      ASSERT_EQ(asSearched, full) << typed.toHex().data() << " in " << text.toHex().data();
    }
  }
  EXPECT_GT(leftOut, 50);  // the rule is not idle
}
