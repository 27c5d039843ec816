// The search field's figures, typed into the real main window: the first key (the record store
// read and the search prepared, then the list filled with the hits) and one more key on the
// prepared search. Also prints the memory the prepared search holds beside the store's size.
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <cstdio>
#include <map>
#include <memory>

#include "bench/benchregistry.h"
#include "bench/nodialogs.h"
#include "mainwindow/tform1.h"
#include "store/recordsearch.h"

namespace {

class FailSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { qFatal("unexpected: %s", qPrintable(text)); }
};

QLineEdit* SearchField(TForm1& form) {
  return form.findChild<QLineEdit*>(QStringLiteral("SearchEdit"));
}

int ShownEntries(TForm1& form) {
  return form.findChild<QListView*>(QStringLiteral("ListBox1"))->model()->rowCount();
}

// The memory of the prepared search beside the store's size, once per address book.
void PrintMemory(const bench::Context& c) {
  static std::map<QString, bool> printed;
  if (printed[c.book.dir])
    return;
  printed[c.book.dir] = true;
  FailSink sink;
  store::SearchCache cache(c.book.dir);
  // A word that needs every form of the records: the contracted one is made at its first need.
  cache.Find(c.book.liveKeys, QStringLiteral("mueller"), sink);
  const qint64 storeBytes = QFileInfo(QDir(c.book.dir).filePath("adresse.qdx")).size();
  const qint64 searchBytes = cache.Prepared()->MemoryBytes();
  std::printf("note search_memory n=%d bytes=%lld store_bytes=%lld ratio=%.2f\n", c.book.records,
              searchBytes, storeBytes, double(searchBytes) / double(storeBytes));
}

// A window that has not searched yet: its first key reads the record store.
const bench::Register firstKey(
    "search_first_key",
    [](const bench::Context& c) {
      bench::InstallNoDialogs();
      PrintMemory(c);
      auto form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(c.book.dir));
      const double ms = bench::TimeMs([&] { SearchField(*form)->setText(QStringLiteral("e")); });
      if (ShownEntries(*form) == 0 || ShownEntries(*form) > c.book.liveKeys.size())
        qFatal("search_first_key: no hits");
      return ms;
    },
    300);

// One more key on the search the window prepared at its first key.
const bench::Register nextKey(
    "search_next_key",
    [](const bench::Context& c) {
      static std::map<QString, std::unique_ptr<TForm1>> forms;
      bench::InstallNoDialogs();
      std::unique_ptr<TForm1>& form = forms[c.book.dir];
      if (!form)
        form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(c.book.dir));
      QLineEdit* field = SearchField(*form);
      field->setText(QStringLiteral("e"));
      const int before = ShownEntries(*form);
      const double ms = bench::TimeMs([&] { field->setText(QStringLiteral("er")); });
      if (ShownEntries(*form) == 0 || ShownEntries(*form) > before)
        qFatal("search_next_key: wrong hits");
      return ms;
    },
    310);

}  // namespace
