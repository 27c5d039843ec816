// The list files (names.qdx, secure.qdx) on any bytes.
//
// Properties: nothing crashes; the two readers of a list file (the lines the windows load and
// the lines a change edits under the lock) see the same keys; a list written and read again
// gives the same lines; inserting and removing a key through the change's editor does exactly
// that and leaves every other line as it was; a change that knows the order of the list it
// wrote last inserts the next key exactly where a change that checks the order does.
#include <memory>

#include "fuzz/fuzzcheck.h"
#include "store/cp1252.h"
#include "store/listbytes.h"
#include "store/listfile.h"

using fuzzcheck::Require;

bool StartsLikeByteOrderMark(const QString& key) {
  const QByteArray bytes = store::ToCp1252(key);
  return bytes.startsWith("\xEF\xBB\xBF") || store::HasUtf16ByteOrderMark(bytes);
}

// A key a change could insert: one line of Windows-1252 text.
bool Insertable(const QString& key) {
  return !key.isEmpty() && !StartsLikeByteOrderMark(key) && !key.contains(QLatin1Char('\r')) &&
         !key.contains(QLatin1Char('\n')) && store::FitsCp1252(key) &&
         store::IsKeyLine(store::ToCp1252(key));
}

// A change remembers the list it wrote; the next change reads either those bytes or others (a
// file another program wrote). Either way, with the order remembered, the next key must land
// where a change that checks the order puts it.
void RequireSameNextInsert(const std::shared_ptr<const store::ListBytes>& written,
                           const QByteArray& otherBytes, const QString& nextKey) {
  if (!Insertable(nextKey))
    return;
  store::WrittenInOrder order;
  order.Remember(written);
  for (const QByteArray& bytes : {written->Bytes(), otherBytes}) {
    store::ListBytes remembered(bytes);
    order.Recall(remembered);
    store::ListBytes checked(bytes);
    remembered.InsertSorted(nextKey);
    checked.InsertSorted(nextKey);
    Require(remembered.Bytes() == checked.Bytes(), "a remembered order inserts as a checked one");
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const QString key = store::FromCp1252(fuzzcheck::Bytes(in, 24));
  const bool sortedInsert = in.ConsumeBool();
  const QString nextKey = store::FromCp1252(fuzzcheck::Bytes(in, 24));
  const std::string rest = in.ConsumeRemainingBytesAsString();
  const QByteArray file(rest.data(), qsizetype(rest.size()));

  const QStringList lines = store::DecodeListFile(file);
  // A key that begins with the bytes of a UTF-8 or UTF-16 byte-order mark ("ï»¿", "ÿþ", "þÿ")
  // cannot stand first in a list file: read back, they are taken for the mark. No one types
  // such a key.
  for (const QString& line : lines) {
    if (StartsLikeByteOrderMark(line))
      return 0;
  }
  Require(store::DecodeListFile(store::EncodeListFile(lines)) == lines, "lines survive a rewrite");

  // The editor keeps lines that are no keys (too long, blank); the reader leaves them out.
  const auto shared = std::make_shared<store::ListBytes>(file);
  store::ListBytes& list = *shared;
  QStringList keyLines;
  for (qsizetype i = 0; i < list.Count(); ++i) {
    if (store::IsKeyLine(list.Line(i)))
      keyLines.append(list.Text(i));
  }
  Require(keyLines == lines, "both readers see the same keys");
  Require(store::DecodeListFile(list.Bytes()) == lines, "the editor writes back the same lines");

  if (!Insertable(key))
    return 0;
  const qsizetype before = lines.count(key);
  Require((list.IndexOf(key) >= 0) == (before > 0), "a listed key is found");
  if (sortedInsert)
    list.InsertSorted(key);
  else
    list.Append(key);
  QStringList after = store::DecodeListFile(list.Bytes());
  Require(after.count(key) == before + 1, "an inserted key is listed once more");
  Require(list.IndexOf(key) >= 0, "an inserted key is found");
  if (sortedInsert)
    RequireSameNextInsert(shared, file, nextKey);
  Require(list.RemoveAll(key) == before + 1, "every copy of the key is removed");
  after = store::DecodeListFile(list.Bytes());
  QStringList expected = lines;
  expected.removeAll(key);
  if (sortedInsert) {
    // Inserting into an unsorted list may sort it first: compare as sets of lines.
    std::sort(after.begin(), after.end());
    std::sort(expected.begin(), expected.end());
  }
  Require(after == expected, "removing the key leaves the other lines");
  return 0;
}
