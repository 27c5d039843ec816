#include "store/keycollation.h"

#include <QVarLengthArray>
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

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

QString AsciiCandidates() {
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

TableKeyOrder::TableKeyOrder(const QCollator& collator) {
  // Rank the ASCII candidates as the collator orders them; characters it calls equal share
  // a rank.
  QStringList singles;
  for (QChar c : AsciiCandidates())
    singles.append(QString(c));
  std::stable_sort(singles.begin(), singles.end(),
                   [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  int rank = 1;
  for (qsizetype i = 0; i < singles.size(); ++i) {
    if (i > 0 && collator.compare(singles[i - 1], singles[i]) != 0)
      ++rank;
    weight_[singles[i].at(0).unicode()].primary = quint8(rank);
  }
  if (!AgreesWith(collator, AsciiCandidates())) {
    weight_.fill(Weights());
    return;
  }

  // The German letters beside them: umlauts as their base letters with a mark, "ß" as "ss".
  const std::array<std::pair<char16_t, char>, 6> umlauts = {{{u'\u00E4', 'a'},
                                                             {u'\u00C4', 'a'},
                                                             {u'\u00F6', 'o'},
                                                             {u'\u00D6', 'o'},
                                                             {u'\u00FC', 'u'},
                                                             {u'\u00DC', 'u'}}};
  QString german = AsciiCandidates();
  for (const auto& [umlaut, base] : umlauts) {
    weight_[umlaut] = {weight_[uchar(base)].primary, 0, true};
    german += QChar(umlaut);
  }
  weight_[0xDF] = {weight_[uchar('s')].primary, weight_[uchar('s')].primary, false};
  german += QChar(0xDF);
  if (!AgreesWith(collator, german)) {
    for (const auto& [umlaut, base] : umlauts)
      weight_[umlaut] = Weights();
    weight_[0xDF] = Weights();
  }
}

bool TableKeyOrder::AgreesWith(const QCollator& collator, const QString& chars) const {
  // Sorted by the table, each neighbour must compare to the next as the table says. Both
  // orders are then one order on these strings, which rules out contractions, ignorable
  // characters, letters whose cases the collator tells apart and marks it weighs otherwise.
  QStringList strings;
  for (QChar a : chars) {
    strings.append(QString(a));
    for (QChar b : chars)
      strings.append(QString(a) + b);
  }
  auto tableOrder = [this](const QString& a, const QString& b) {
    int order = 0;
    return Compare(QStringView(a), QStringView(b), &order) ? order : 2;
  };
  for (const QString& s : strings) {
    if (tableOrder(s, s) != 0 || collator.compare(s, QString()) <= 0)
      return false;  // not covered, or ignorable
  }
  std::sort(strings.begin(), strings.end(),
            [&](const QString& a, const QString& b) { return tableOrder(a, b) < 0; });
  for (qsizetype i = 1; i < strings.size(); ++i) {
    const int primary = collator.compare(strings[i - 1], strings[i]);
    const int expected = tableOrder(strings[i - 1], strings[i]);
    // The table decides ties by code points, as CompareKeys does after the collator.
    const int wanted = primary == 0 ? Sign(strings[i - 1].compare(strings[i])) : Sign(primary);
    if (wanted != expected)
      return false;
  }
  return true;
}

bool TableKeyOrder::Compare(QStringView a, QStringView b, int* order) const {
  return CompareTexts(a, b, order);
}

bool TableKeyOrder::Compare(QByteArrayView a, QByteArrayView b, int* order) const {
  return CompareTexts(a, b, order);
}

template <typename Text>
bool TableKeyOrder::CompareTexts(const Text& whole, const Text& wholeOther, int* order) const {
  auto covered = [this](unsigned code) { return code < 256 && weight_[code].primary != 0; };
  // Identical characters weigh the same in both keys at every level: only what follows the
  // common beginning decides. Neighbours in a sorted list share long beginnings.
  const qsizetype shortest = std::min(whole.size(), wholeOther.size());
  qsizetype same = 0;
  while (same < shortest && Code(whole[same]) == Code(wholeOther[same])) {
    if (!covered(Code(whole[same])))
      return false;  // an accent anywhere could count
    ++same;
  }
  const Text a = whole.sliced(same);
  const Text b = wholeOther.sliced(same);
  for (const Text* t : {&a, &b}) {
    for (qsizetype i = 0; i < t->size(); ++i) {
      if (!covered(Code((*t)[i])))
        return false;
    }
  }
  auto weights = [this](const Text& t, qsizetype i) -> const Weights& {
    return weight_[Code(t[i])];
  };

  // First the primary weights, an expansion giving two.
  qsizetype i = 0, j = 0;
  bool inA = false, inB = false;  // at the second weight of an expansion
  while (i < a.size() && j < b.size()) {
    const Weights& x = weights(a, i);
    const Weights& y = weights(b, j);
    const int px = inA ? x.second : x.primary;
    const int py = inB ? y.second : y.primary;
    if (px != py) {
      *order = px < py ? -1 : 1;
      return true;
    }
    inA = !inA && x.second != 0;
    i += inA ? 0 : 1;
    inB = !inB && y.second != 0;
    j += inB ? 0 : 1;
  }
  if (i < a.size() || j < b.size()) {
    *order = i < a.size() ? 1 : -1;
    return true;
  }

  // Then the marks: each primary weight brings a plain mark; a diaeresis, and the "ß", an
  // extra one after its letter's, which weighs more than a plain one.
  auto marks = [&](const Text& t) {
    QVarLengthArray<quint8, 64> m;
    for (qsizetype k = 0; k < t.size(); ++k) {
      const Weights& w = weights(t, k);
      m.append(1);
      if (w.second) {
        m.append(3);  // "ß" weighs as "ss" with a mark between the two
        m.append(1);
      }
      if (w.mark)
        m.append(2);
    }
    return m;
  };
  const auto ma = marks(a);
  const auto mb = marks(b);
  const qsizetype common = std::min(ma.size(), mb.size());
  for (qsizetype k = 0; k < common; ++k) {
    if (ma[k] != mb[k]) {
      *order = ma[k] < mb[k] ? -1 : 1;
      return true;
    }
  }
  if (ma.size() != mb.size()) {
    *order = ma.size() < mb.size() ? -1 : 1;
    return true;
  }

  // Equal for the collator: by code points, which are the bytes for these characters.
  const qsizetype shorter = std::min(a.size(), b.size());
  for (qsizetype k = 0; k < shorter; ++k) {
    if (Code(a[k]) != Code(b[k])) {
      *order = Code(a[k]) < Code(b[k]) ? -1 : 1;
      return true;
    }
  }
  *order = Sign(int(a.size() > b.size()) - int(a.size() < b.size()));
  return true;
}

namespace {

// The table of a locale, made once per process: making it asks the collator some thousands of
// times (about five milliseconds), and the changes of the data files start a thread of their
// own each time. The table is plain data, so every thread's order takes a copy.
TableKeyOrder SharedTable(const QLocale& locale, const QCollator& collator) {
  static std::mutex mutex;
  static std::map<QString, TableKeyOrder> tables;
  const std::lock_guard<std::mutex> lock(mutex);
  const QString name = locale.bcp47Name();
  auto it = tables.find(name);
  if (it == tables.end())
    it = tables.emplace(name, TableKeyOrder(collator)).first;
  return it->second;
}

}  // namespace

KeyOrder::KeyOrder()
    : locale_(KeyLocale()), collator_(KeyCollator()), table_(SharedTable(locale_, collator_)) {}

const KeyOrder& KeyOrder::ForThisThread() {
  thread_local std::unique_ptr<KeyOrder> order;
  if (!order || order->locale_ != KeyLocale())
    order = std::make_unique<KeyOrder>();
  return *order;
}

int KeyOrder::Compare(const QString& a, const QString& b) const {
  int order = 0;
  if (table_.Compare(QStringView(a), QStringView(b), &order))
    return order;
  order = collator_.compare(a, b);
  if (order != 0)
    return order;
  return a.compare(b);  // equal but for letter case: by code points, the same everywhere
}

int KeyOrder::Compare(QByteArrayView a, QByteArrayView b) const {
  int order = 0;
  if (table_.Compare(a, b, &order))
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
