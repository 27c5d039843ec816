#pragma once

// The order of record keys (internal to the store): the collator of the keys' locale, and a
// table that orders plain keys without it.

#include <QByteArrayView>
#include <QCollator>
#include <QLocale>
#include <QStringList>
#include <QStringView>
#include <array>

namespace store {

// The keys' locale: the user's; a workstation without one (the "C" locale of a bare system)
// sorts as the program's German users expect: "Ä" with "A", "ß" with "ss".
QLocale KeyLocale();
// A collator of KeyLocale() that ignores letter case.
QCollator KeyCollator();

// The order of record keys without asking the collator for every pair: most keys consist of
// ASCII letters, digits and a few punctuation marks, and German keys add umlauts and "ß".
// The primary weights of the ASCII characters are taken from the collator once; an umlaut
// weighs as its base letter plus a diaeresis mark (told apart only where all letters are
// equal), "ß" as "ss". The whole table is checked against the collator on every string of
// one and two covered characters; what it gets wrong is not covered. Keys with any other
// character (accents, the euro sign) are left to the collator.
class TableKeyOrder {
 public:
  // Reads the weights from collator, which must ignore letter case. If the collator orders
  // the umlauts or "ß" otherwise, they are not covered; if it orders any ASCII character in
  // a way this table cannot express (a contraction such as a "ch" of some languages, an
  // ignorable character), no character is covered.
  explicit TableKeyOrder(const QCollator& collator);

  // -1, 0 or 1 as CompareKeys, in *order; false when a or b holds a character not covered.
  bool Compare(QStringView a, QStringView b, int* order) const;
  // The same for keys as Windows-1252 bytes.
  bool Compare(QByteArrayView a, QByteArrayView b, int* order) const;

 private:
  template <typename Text>
  bool CompareTexts(const Text& a, const Text& b, int* order) const;
  // True when the table orders every string of one and two of chars as the collator does.
  bool AgreesWith(const QCollator& collator, const QString& chars) const;

  struct Weights {
    quint8 primary = 0;  // 0: not covered; the same for a letter's two cases
    quint8 second = 0;   // the second primary weight of an expansion ("ß" as "ss"), or 0
    bool mark = false;   // a diaeresis: weighs only where the primary weights are all equal
  };
  // By Latin-1 code (which is also the Windows-1252 byte of these characters).
  std::array<Weights, 256> weight_{};
};

// The order of CompareKeys: the collator, ties by code points. One per thread, made again
// when the locale changes; look it up once for a loop over many keys.
class KeyOrder {
 public:
  KeyOrder();
  static const KeyOrder& ForThisThread();

  int Compare(const QString& a, const QString& b) const;
  // The same for keys as Windows-1252 bytes (lines of a list file).
  int Compare(QByteArrayView a, QByteArrayView b) const;
  // True when keys stand in this order already. The list files are written in this order,
  // so a load usually needs one comparison per line instead of a sort.
  bool IsSorted(const QStringList& keys) const;

 private:
  QLocale locale_;
  QCollator collator_;
  TableKeyOrder table_;
};

}  // namespace store
