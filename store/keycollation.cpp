#include "store/keycollation.h"

#include <algorithm>
#include <memory>

#include "store/cp1252.h"

namespace store {
namespace {

// A character's code: the UTF-16 unit of a text, the byte of Windows-1252 bytes.
unsigned Code(QChar c) {
  return c.unicode();
}
unsigned Code(char c) {
  return static_cast<unsigned char>(c);
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

QString Candidates() {
  QString chars = QStringLiteral(" ,-.");
  for (char c = '0'; c <= '9'; ++c)
    chars += QLatin1Char(c);
  for (char c = 'A'; c <= 'Z'; ++c)
    chars += QLatin1Char(c) + QLatin1Char(char(c + 32));
  return chars;
}

}  // namespace

QLocale KeyLocale() {
  const QLocale locale;
  return locale.language() == QLocale::C ? QLocale(QLocale::German, QLocale::Germany) : locale;
}

QCollator KeyCollator() {
  QCollator collator{KeyLocale()};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

AsciiKeyOrder::AsciiKeyOrder(const QCollator& collator) {
  // Rank the candidates as the collator orders them; characters it calls equal share a rank.
  QStringList singles;
  for (QChar c : Candidates())
    singles.append(QString(c));
  std::stable_sort(singles.begin(), singles.end(),
                   [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  int rank = 1;
  for (qsizetype i = 0; i < singles.size(); ++i) {
    if (i > 0 && collator.compare(singles[i - 1], singles[i]) != 0)
      ++rank;
    weight_[singles[i].at(0).unicode()] = quint8(rank);
  }

  // Check the table against the collator on every string of one and two candidates: sorted
  // by the table, each neighbour must compare to the next as the table says. Both orders are
  // then one order on these strings, which rules out contractions, ignorable characters and
  // letters whose cases the collator tells apart.
  QStringList strings = singles;
  for (const QString& a : singles) {
    for (const QString& b : singles)
      strings.append(a + b);
  }
  auto tableOrder = [this](const QString& a, const QString& b) {
    int order = 0;
    Compare(QStringView(a), QStringView(b), &order);
    return order;
  };
  std::sort(strings.begin(), strings.end(),
            [&](const QString& a, const QString& b) { return tableOrder(a, b) < 0; });
  bool agrees = true;
  for (const QString& single : singles)
    agrees = agrees && collator.compare(single, QString()) > 0;  // none is ignorable
  for (qsizetype i = 1; agrees && i < strings.size(); ++i) {
    const int primary = collator.compare(strings[i - 1], strings[i]);
    const int expected = tableOrder(strings[i - 1], strings[i]);
    // The table decides ties by code points, as CompareKeys does after the collator.
    agrees = primary == 0 ? Sign(strings[i - 1].compare(strings[i])) == expected
                          : Sign(primary) == expected;
  }
  if (!agrees)
    weight_.fill(0);
}

bool AsciiKeyOrder::Compare(QStringView a, QStringView b, int* order) const {
  return CompareTexts(a, b, order);
}

bool AsciiKeyOrder::Compare(QByteArrayView a, QByteArrayView b, int* order) const {
  return CompareTexts(a, b, order);
}

template <typename Text>
bool AsciiKeyOrder::CompareTexts(const Text& a, const Text& b, int* order) const {
  auto weight = [this](auto c) {
    const unsigned code = static_cast<unsigned>(c);
    return code < 128 ? weight_[code] : 0;
  };
  const qsizetype common = std::min(a.size(), b.size());
  int result = 0;
  for (qsizetype i = 0; i < common; ++i) {
    const int wx = weight(Code(a[i]));
    const int wy = weight(Code(b[i]));
    if (wx == 0 || wy == 0)
      return false;
    if (result == 0 && wx != wy)
      result = wx < wy ? -1 : 1;
  }
  // The rest of the longer key must be covered too: an accent there would count.
  const Text& longer = a.size() > common ? a : b;
  for (qsizetype i = common; i < longer.size(); ++i) {
    if (weight(Code(longer[i])) == 0)
      return false;
  }
  if (result == 0 && a.size() != b.size())
    result = a.size() < b.size() ? -1 : 1;
  // Equal but for letter case: by code points, which are the bytes for ASCII.
  for (qsizetype i = 0; result == 0 && i < common; ++i) {
    if (Code(a[i]) != Code(b[i]))
      result = Code(a[i]) < Code(b[i]) ? -1 : 1;
  }
  *order = result;
  return true;
}

KeyOrder::KeyOrder() : locale_(KeyLocale()), collator_(KeyCollator()), ascii_(collator_) {}

const KeyOrder& KeyOrder::ForThisThread() {
  thread_local std::unique_ptr<KeyOrder> order;
  if (!order || order->locale_ != KeyLocale())
    order = std::make_unique<KeyOrder>();
  return *order;
}

int KeyOrder::Compare(const QString& a, const QString& b) const {
  int order = 0;
  if (ascii_.Compare(QStringView(a), QStringView(b), &order))
    return order;
  order = collator_.compare(a, b);
  if (order != 0)
    return order;
  return a.compare(b);  // equal but for letter case: by code points, the same everywhere
}

int KeyOrder::Compare(QByteArrayView a, QByteArrayView b) const {
  int order = 0;
  if (ascii_.Compare(a, b, &order))
    return order;
  return Compare(FromCp1252(a), FromCp1252(b));
}

bool KeyOrder::IsSorted(const QStringList& keys) const {
  for (qsizetype i = 1; i < keys.size(); ++i) {
    if (Compare(keys[i - 1], keys[i]) > 0)
      return false;
  }
  return true;
}

}  // namespace store
