#include "mainwindow/tform3.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>

#include "mainwindow/dialogsink.h"
#include "platform/checklist.h"
#include "platform/designfont.h"
#include "platform/dialogs.h"
#include "platform/waitcursor.h"
#include "store/addressbook.h"
#include "store/datafiles.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"

namespace mainwindow {

QString RestoreRefusedMessage() {
  return QStringLiteral(
      "Datensatz kann nicht wiederhergestellt werden, da bereits neue Daten f\u00fcr diese "
      "Person exiatieren!");
}

QString RestoreFailedMessage() {
  return QStringLiteral(
      "Fehler beim Wiederherstellen! Versuchen Sie, die Datens\u00e4tze einzeln "
      "wiederherzustellen.");
}

}  // namespace mainwindow

using mainwindow::RestoreFailedMessage;
using mainwindow::RestoreRefusedMessage;

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Gel\u00f6schte Datens\u00e4tze wiederherstellen"));
  setFont(platform::DesignFontPoints(8));
  resize(415, 389);

  Label1 = new QLabel(QStringLiteral("Bitte ausw\u00e4hlen:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 8, 281, 16);

  CheckListBox1 = new QListWidget(this);
  CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1->setGeometry(8, 32, 281, 257);
  CheckListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  CheckListBox1->setUniformItemSizes(true);

  Alleauswhlen1 = new QAction(QStringLiteral("Alle ausw\u00e4hlen"), CheckListBox1);
  Alleauswhlen1->setObjectName(QStringLiteral("Alleauswhlen1"));
  Alleauswhlen1->setShortcut(QKeySequence::SelectAll);
  Alleauswhlen1->setShortcutContext(Qt::WidgetShortcut);
  Keineauswhlen1 = new QAction(QStringLiteral("Keine ausw\u00e4hlen"), CheckListBox1);
  Keineauswhlen1->setObjectName(QStringLiteral("Keineauswhlen1"));
  CheckListBox1->addActions({Alleauswhlen1, Keineauswhlen1});
  CheckListBox1->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(Alleauswhlen1, &QAction::triggered, this,
          [this] { platform::SetAllChecked(CheckListBox1, true); });
  connect(Keineauswhlen1, &QAction::triggered, this,
          [this] { platform::SetAllChecked(CheckListBox1, false); });

  BitBtn1 = new QPushButton(QStringLiteral("&Wiederherstellen"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(304, 32, 97, 25);
  BitBtn1->setAutoDefault(false);

  BitBtn2 = new QPushButton(QStringLiteral("Abbruch"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(304, 64, 97, 25);
  BitBtn2->setAutoDefault(false);

  // Both buttons close the dialog after one click, whatever the restore did.
  connect(BitBtn1, &QPushButton::clicked, this, [this] {
    BitBtn1Click();
    done(kRetry);
  });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kAbort); });
}

int TForm3::Execute() {
  FormShow();
  const int result = platform::Dialogs::Get().ExecModal(*this);
  FormClose();
  return result;
}

QStringList TForm3::LoadKeys() {
  if (source_ == Source::Orphaned) {
    try {
      return book_->Files().OrphanedKeys();
    } catch (const store::UserError& error) {
      platform::Dialogs::Get().Error(this, error.message());
      namesUnreadable_ = true;
      return {};
    }
  }
  mainwindow::DialogSink sink(this);
  return book_->LoadDeleted(sink).keys;
}

void TForm3::FormShow() {
  namesUnreadable_ = false;
  CheckListBox1->clear();
  // The keys come sorted; the items are built first and handed to the list in one go.
  for (const QString& key : LoadKeys()) {
    auto* item = new QListWidgetItem(key);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    CheckListBox1->addItem(item);
  }
  CheckListBox1->setCurrentRow(-1);
  CheckListBox1->clearSelection();
}

void TForm3::BitBtn1Click() {
  try {
    const platform::WaitCursor busy;
    Restore();
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm3::FormClose() {
  // Nothing was restored from files that could not be read, and reading them again for the
  // main list would only say so a second time.
  if (closeAction_ && !namesUnreadable_)
    closeAction_();
}

QStringList TForm3::TickedKeys() const {
  QStringList keys;
  QSet<QString> seen;
  for (int row = 0; row < CheckListBox1->count(); ++row) {
    const QListWidgetItem* item = CheckListBox1->item(row);
    if (item->checkState() != Qt::Checked)
      continue;
    // A key listed twice in the deleted-records file is restored once.
    if (seen.contains(item->text().toCaseFolded()))
      continue;
    seen.insert(item->text().toCaseFolded());
    keys.append(item->text());
  }
  return keys;
}

QString TForm3::HighlightedKey() const {
  const QList<QListWidgetItem*> selected = CheckListBox1->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

void TForm3::Restore() {
  const QStringList ticked = TickedKeys();
  QStringList candidates = ticked;
  const QString highlighted = HighlightedKey();
  if (!highlighted.isNull())
    candidates.append(highlighted);
  if (candidates.isEmpty())
    return;

  mainwindow::DialogSink sink(this);
  // Compared with the name index as it is on disk, not with the main list, which may be the
  // partial internal-number view: no key may end up listed twice.
  const store::LoadResult names = book_->ReadNames(sink);
  if (!names.loaded) {
    namesUnreadable_ = true;
    return;
  }
  QSet<QString> live;
  live.reserve(names.lines.size());
  for (const QString& key : names.lines)
    live.insert(key.toCaseFolded());
  const bool orphans = source_ == Source::Orphaned;
  for (const QString& key : candidates) {
    // A deleted key listed in this very spelling is a restore that a failed write cut short
    // (the name index is written first); restoring it again completes it. Looked for only among the
    // live keys: a scan of the name index for each of fifty thousand ticked keys would take the
    // window away for half a minute.
    if (live.contains(key.toCaseFolded()) && (orphans || !names.lines.contains(key))) {
      platform::Dialogs::Get().Message(this, RestoreRefusedMessage());
      return;
    }
  }
  if (ticked.isEmpty())
    return;

  store::DataFiles& files = book_->Files();
  switch (orphans ? files.RelistOrphans(ticked) : files.RestoreRecords(ticked)) {
    case store::DataFiles::RestoreOutcome::Restored:
      break;
    case store::DataFiles::RestoreOutcome::KeyLive:
      platform::Dialogs::Get().Message(this, RestoreRefusedMessage());
      break;
    case store::DataFiles::RestoreOutcome::NotDeleted:
      platform::Dialogs::Get().Message(this, RestoreFailedMessage());
      break;
  }
}
