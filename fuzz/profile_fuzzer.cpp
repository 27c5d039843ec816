// The profile (INI) file service and the record store on any bytes: a record store or a grid
// companion written by another program, damaged, or hostile.
//
// Properties: nothing crashes or reads out of bounds; the record store's index and the
// profile service read the same value for every section and key; a value written reads back
// as written; erasing a section leaves every other section's values as they were.
#include "fuzz/fuzzcheck.h"
#include "store/cp1252.h"
#include "store/profilescan.h"
#include "store/profiletext.h"
#include "store/recordstore.h"

using fuzzcheck::Require;

namespace {

bool Storable(const QString& text) {
  return fuzzcheck::Plain(text) && store::FitsCp1252(text);
}

// A value reads back as written whatever its quotes and blanks: only control characters (a
// line break, a NUL byte) and characters the code page lacks cannot be stored.
bool StorableValue(const QString& value) {
  for (QChar c : value) {
    if (c < QChar(0x20) || c == QChar(0x7F))
      return false;
  }
  return store::FitsCp1252(value);
}

// The service ignores blanks and tabs at both ends of a caller's name, and letter case.
QString Trimmed(QString name) {
  const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
  while (!name.isEmpty() && blank(name.front()))
    name.remove(0, 1);
  while (!name.isEmpty() && blank(name.back()))
    name.chop(1);
  return name;
}

bool SameName(const QString& a, const QString& b) {
  return store::SameKeyIgnoringCase(Trimmed(a), Trimmed(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const QString section = store::FromCp1252(fuzzcheck::Bytes(in, 24));
  const QString key = store::FromCp1252(fuzzcheck::Bytes(in, 24));
  const QString value = store::FromCp1252(fuzzcheck::Bytes(in, 40));
  const int action = in.ConsumeIntegralInRange(0, 3);
  const std::string rest = in.ConsumeRemainingBytesAsString();
  const QByteArray file(rest.data(), qsizetype(rest.size()));

  store::ProfileText text(file);
  const store::RecordStore records(file);
  const QString error = QStringLiteral("Error");
  const QString read = text.Read(section, key, error);
  Require(records.Value(section, key, error) == read, "record store and profile service agree");
  Require(records.HasSection(section) == text.HasSection(section), "both find the same sections");
  records.Record(section);
  const QStringList sections = store::profile::SectionNames(file);
  for (const QString& name : sections.mid(0, 8)) {
    Require(text.HasSection(name), "a listed section is found");
    Require(records.Value(name, key, error) == text.Read(name, key, error),
            "both read a listed section alike");
  }

  switch (action) {
    case 0:
      text.Write(section, key, value);
      if (Storable(section) && Storable(key) && StorableValue(value))
        Require(text.Read(section, key, error) == value.left(1023), "a written value reads back");
      break;
    case 1:
      text.WriteSection(section, {{key, value}, {QStringLiteral("Name"), value}});
      if (Storable(section) && Storable(key) && StorableValue(value) &&
          !SameName(key, QStringLiteral("Name"))) {
        Require(text.Read(section, key, error) == value.left(1023), "a section's value reads back");
        Require(store::RecordStore(text.Bytes()).Value(section, key, error) == value.left(1023),
                "the record store reads the written section");
      }
      break;
    case 2: {
      text.EraseSection(section);
      // Every other section keeps its values (only the first of that name is erased).
      for (const QString& name : sections.mid(0, 8)) {
        if (!SameName(name, section) && Storable(name)) {
          Require(text.Read(name, key, error) == store::ProfileText(file).Read(name, key, error),
                  "erasing one section keeps the others");
        }
      }
      break;
    }
    default:
      text.Write(section, key, value);
      text.EraseSection(section);
      break;
  }
  store::RecordStore(text.Bytes()).Record(section);
  return 0;
}
