#include "bench/benchdata.h"

#include <QDir>
#include <QSet>
#include <algorithm>

#include "store/cp1252.h"
#include "store/fieldtable.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"

namespace benchdata {
namespace {

constexpr int kAppendedKeys = 300;

// A small deterministic generator (xorshift), so the data are the same with every compiler.
class Random {
 public:
  explicit Random(quint32 seed) : state_(seed ? seed : 1) {}
  quint32 Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<quint32>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<int>(N))];
  }

 private:
  quint32 state_;
};

const char* const kFirstNames[] = {
    "Anna",   "Jörg",    "Jürgen",  "Björn",   "Günther", "Sören",  "Käthe",     "Ute",
    "Hans",   "Peter",   "Klaus",   "Sabine",  "Monika",  "Thomas", "Michael",   "Andreas",
    "Stefan", "Petra",   "Birgit",  "Renate",  "Ulrich",  "Jörn",   "Dörte",     "Bärbel",
    "Lena",   "Lukas",   "Jonas",   "Leonie",  "Mia",     "Emma",   "Felix",     "Maximilian",
    "Sophie", "Marie",   "Paul",    "Ben",     "Elias",   "Noah",   "Hannah",    "Lea",
    "Frank",  "Uwe",     "Heike",   "Karin",   "Gisela",  "Helga",  "Wolfgang",  "Dieter",
    "Horst",  "Jens",    "Kai",     "Tobias",  "Julia",   "Laura",  "Katrin",    "Nicole",
    "Ingrid", "Gerhard", "Manfred", "Rüdiger", "Götz",    "Gudrun", "Anneliese", "Hans-Peter"};
const char* const kLastNames[] = {
    "Müller",     "Schmidt",  "Schneider",  "Fischer", "Weber",   "Meyer",      "Wagner",
    "Becker",     "Schulz",   "Hoffmann",   "Schäfer", "Koch",    "Bauer",      "Richter",
    "Klein",      "Wolf",     "Schröder",   "Neumann", "Schwarz", "Zimmermann", "Braun",
    "Krüger",     "Hofmann",  "Hartmann",   "Lange",   "Schmitt", "Werner",     "Schmitz",
    "Krause",     "Meier",    "Lehmann",    "Schmid",  "Schulze", "Maier",      "Köhler",
    "Herrmann",   "König",    "Walter",     "Mayer",   "Huber",   "Kaiser",     "Fuchs",
    "Peters",     "Lang",     "Scholz",     "Möller",  "Weiß",    "Jung",       "Hahn",
    "Schubert",   "Vogel",    "Friedrich",  "Keller",  "Günther", "Frank",      "Berger",
    "Winkler",    "Roth",     "Beck",       "Lorenz",  "Baumann", "Franke",     "Albrecht",
    "Schuster",   "Simon",    "Ludwig",     "Böhm",    "Winter",  "Kraus",      "Martin",
    "Schumacher", "Krämer",   "Vogt",       "Stein",   "Jäger",   "Otto",       "Sommer",
    "Groß",       "Seidel",   "Heinrich",   "Brandt",  "Haas",    "Schreiber",  "Graf",
    "Schulte",    "Dietrich", "Ziegler",    "Kuhn",    "Kühn",    "Pohl",       "Engel",
    "Horn",       "Busch",    "Bergmann",   "Thomas",  "Voigt",   "Sauer",      "Arnold",
    "Wolff",      "Pfeiffer", "Düsterhöft", "Öztürk",  "Ärmel",   "Überall"};
const char* const kCompanyWords[] = {
    "Bäckerei",  "Möbelhaus", "Autohaus", "Steuerbüro", "Ingenieurbüro", "Druckerei",
    "Gärtnerei", "Elektro",   "Sanitär",  "Logistik",   "Software",      "Verlag",
    "Brauerei",  "Optik",     "Apotheke", "Metallbau",  "Schreinerei",   "Reisebüro"};
const char* const kCompanyForms[] = {"GmbH", "GmbH & Co. KG", "KG", "AG", "e.K.", "OHG"};
const char* const kStreets[] = {
    "Hauptstraße",     "Bahnhofstraße", "Gartenstraße",  "Schulstraße", "Dorfstraße",
    "Lindenallee",     "Kirchweg",      "Mühlenweg",     "Am Brühl",    "Königsallee",
    "Friedrichstraße", "Goethestraße",  "Schillerplatz", "Rosenstraße", "Birkenweg",
    "Industriestraße", "Marktplatz",    "Talstraße",     "Jägerstraße", "Grüner Weg"};
const char* const kTowns[] = {
    "Berlin", "Hamburg",  "München",  "Köln",      "Frankfurt am Main", "Stuttgart",   "Düsseldorf",
    "Lübeck", "Nürnberg", "Görlitz",  "Würzburg",  "Osnabrück",         "Saarbrücken", "Fürth",
    "Gießen", "Tübingen", "Lüneburg", "Bückeburg", "Mönchengladbach",   "Jena"};
const char* const kPositions[] = {"Geschäftsführer", "Prokuristin",       "Sachbearbeiter",
                                  "Einkäufer",       "Vertriebsleiterin", "Buchhalter",
                                  "Meister",         "Auszubildende",     "Teamleiter"};
const char* const kDepartments[] = {"Vertrieb", "Einkauf",          "Buchhaltung", "Technik",
                                    "Personal", "Geschäftsleitung", "Lager",       "IT"};

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString Phone(Random& r, int areaLength) {
  QString area = QStringLiteral("0");
  for (int i = 1; i < areaLength; ++i)
    area += QChar(u'1' + r.Below(9));
  QString number;
  const int digits = 5 + r.Below(4);
  for (int i = 0; i < digits; ++i)
    number += QChar(u'0' + r.Below(10));
  return area + QLatin1Char(' ') + number;
}

// E-mail addresses hold no umlauts: ä -> ae and so on.
QString MailPart(const QString& text) {
  QString out;
  for (const QChar c : text.toLower()) {
    switch (c.unicode()) {
      case u'ä':
        out += QStringLiteral("ae");
        break;
      case u'ö':
        out += QStringLiteral("oe");
        break;
      case u'ü':
        out += QStringLiteral("ue");
        break;
      case u'ß':
        out += QStringLiteral("ss");
        break;
      case u' ':
      case u'&':
      case u'.':
        break;
      default:
        out += c;
    }
  }
  return out;
}

void WriteOrDie(const QString& path, const QByteArray& bytes) {
  if (!store::WriteFileAtomic(path, bytes))
    qFatal("cannot write %s", qPrintable(path));
}

}  // namespace

AddressBook Generate(const QString& dir, int records, quint32 seed) {
  QDir().mkpath(dir);
  Random r(seed);
  AddressBook book;
  book.dir = dir;
  book.records = records;

  const int companyCount = std::max(1, records / 20);
  QSet<QString> companySeen;
  for (int i = 0; i < companyCount; ++i) {
    QString name = U(r.Pick(kLastNames)) + QLatin1Char(' ') + U(r.Pick(kCompanyWords)) +
                   QLatin1Char(' ') + U(r.Pick(kCompanyForms));
    if (companySeen.contains(name))
      name += QStringLiteral(" ") + QString::number(i);
    companySeen.insert(name);
    book.companies.append(name);
  }

  QByteArray store;
  store.reserve(static_cast<qsizetype>(records) * 330);
  QSet<QString> keysSeen;
  keysSeen.reserve(records);
  QStringList live;
  live.reserve(records);
  for (int i = 0; i < records; ++i) {
    QString first = U(r.Pick(kFirstNames));
    QString last = U(r.Pick(kLastNames));
    // Keys are unique: on a clash the name becomes a double name, then gets a second
    // first name.
    for (int tries = 0; keysSeen.contains(store::FormRecordKey(last, first)); ++tries) {
      if (tries % 2 == 0) {
        last = U(r.Pick(kLastNames)) + QLatin1Char('-') + U(r.Pick(kLastNames));
      } else {
        first = U(r.Pick(kFirstNames)) + QLatin1Char(' ') + U(r.Pick(kFirstNames));
      }
    }
    const QString key = store::FormRecordKey(last, first);
    keysSeen.insert(key);

    store::RecordValues v;
    const bool hasCompany = !r.Chance(15);
    const QString company = hasCompany ? book.companies[r.Below(companyCount)] : QString();
    v[store::kVorname] = first;
    v[store::kName] = last;
    v[store::kFirma] = company;
    v[store::kKurzzeichen] = r.Chance(40) ? U(r.Pick(kDepartments)) : QString();
    v[store::kPosition] = r.Chance(60) ? U(r.Pick(kPositions)) : QString();
    v[store::kStrasse] = U(r.Pick(kStreets)) + QLatin1Char(' ') + QString::number(1 + r.Below(180));
    v[store::kPLZ] = QStringLiteral("%1").arg(1000 + r.Below(98000), 5, 10, QLatin1Char('0'));
    v[store::kOrt] = U(r.Pick(kTowns));
    v[store::kTelefon1] = Phone(r, 3 + r.Below(3));
    v[store::kTelefon2] = r.Chance(30) ? Phone(r, 4) : QString();
    v[store::kFax] = r.Chance(50) ? Phone(r, 4) : QString();
    v[store::kHandy] = r.Chance(70) ? QStringLiteral("01") + Phone(r, 2).mid(1) : QString();
    v[store::kEMail] =
        r.Chance(80)
            ? MailPart(first) + QLatin1Char('.') + MailPart(last) + QLatin1Char('@') +
                  (hasCompany ? MailPart(company.section(' ', 0, 1)) : QStringLiteral("web")) +
                  QStringLiteral(".de")
            : QString();
    v[store::kKurzwahl] = r.Chance(20) ? QString::number(10 + r.Below(90)) : QString();
    v[store::kIRuf] = i % 3 == 0 ? QString::number(100 + r.Below(900)) : QString();

    store += '[' + store::ToCp1252(key) + "]\r\n";
    for (int field : store::StoreOrder()) {
      store += store::Fields()[field].storeKey;
      store += '=';
      store += store::ToCp1252(v[field]);
      store += "\r\n";
    }
    if (i % 100 == 50) {
      book.deletedKeys.append(key);
    } else {
      live.append(key);
    }
    book.lastKeyInStore = key;
  }
  store::SortKeys(live);
  book.liveKeys = live;

  // Restores on other workstations append their keys after the sorted lines: the file ends
  // with a few hundred keys out of order, so every reader sorts it.
  QStringList fileOrder;
  QStringList appended;
  const int step = std::max(1, int(live.size() / kAppendedKeys));
  for (int i = 0; i < live.size(); ++i)
    (i % step == step / 2 && appended.size() < kAppendedKeys ? appended : fileOrder)
        .append(live[i]);
  for (int i = int(appended.size()) - 1; i > 0; --i)
    appended.swapItemsAt(i, r.Below(i + 1));
  fileOrder += appended;

  WriteOrDie(QDir(dir).filePath(QStringLiteral("adresse.qdx")), store);
  WriteOrDie(QDir(dir).filePath(QStringLiteral("names.qdx")), store::EncodeListFile(fileOrder));
  WriteOrDie(QDir(dir).filePath(QStringLiteral("secure.qdx")),
             store::EncodeListFile(book.deletedKeys));
  return book;
}

}  // namespace benchdata
