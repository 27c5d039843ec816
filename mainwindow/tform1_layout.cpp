// The main window's controls: panels, the record editor, the two toolbars, the menus.
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <functional>

#include "mainwindow/companytreemodel.h"
#include "mainwindow/entrylistmodel.h"
#include "mainwindow/tform1.h"
#include "platform/designfont.h"

namespace {

// The longest value the record store gives back; a longer entry could not be read again.
constexpr int kMaxFieldLength = 1023;

QFont WindowFont(int pixelSize, bool bold) {
  return platform::DesignFont(pixelSize, bold);
}

// The main list and the company tree, in which the user chooses the record shown.
template <typename View>
class ChooserView : public View {
 public:
  using View::View;

 protected:
  // With nothing current (at start, after a save, a cancel or a delete, in a tree built
  // anew) the view would start every key at its first entry, so End showed the first record:
  // End and Page Down go from the top instead.
  QModelIndex moveCursor(QAbstractItemView::CursorAction action,
                         Qt::KeyboardModifiers modifiers) override {
    if (!this->currentIndex().isValid() &&
        (action == QAbstractItemView::MoveEnd || action == QAbstractItemView::MovePageDown)) {
      const QModelIndex first = this->model()->index(0, 0, this->rootIndex());
      if (first.isValid())
        this->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    return View::moveCursor(action, modifiers);
  }
  // Ctrl with a click or the space bar would take the selection from the chosen entry while
  // its record stays in the fields: edit and delete would then do nothing. The entry stays
  // chosen until the user chooses another.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override {
    const QItemSelectionModel::SelectionFlags command = View::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate
                                                           : command;
  }
};

// The main list. The keyboard coming to it (Tab, Shift+Tab from the search field, back from an
// entry) makes no entry current when none was: the view would make its first entry current
// without choosing it, and Down would then choose the second. This happened whenever the list
// had been filled anew, as the search does at every key.
class EntryListView : public ChooserView<QListView> {
 public:
  using ChooserView::ChooserView;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    const bool current = currentIndex().isValid();
    ChooserView::focusInEvent(event);
    if (!current && currentIndex().isValid() && !selectionModel()->hasSelection())
      selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
};

// The company tree: a key that moves its current node (arrows, a first letter) shows that
// node as a click does, so the record shown is always that of the node chosen. Otherwise
// leaving the view would choose in the list a person whose record was never shown.
class CompanyTreeView : public ChooserView<QTreeView> {
 public:
  CompanyTreeView(QWidget* parent, std::function<void()> moved)
      : ChooserView<QTreeView>(parent), moved_(std::move(moved)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QPersistentModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    if (currentIndex() != before)
      moved_();
  }

  // Only the primary button on a node chooses a person; the click shows it. Another button, or
  // a press below the last node, leaves the person chosen as it was: the tree would otherwise
  // choose someone the fields do not show, and leaving the view would hand that person to
  // edit and delete.
  void mousePressEvent(QMouseEvent* event) override {
    const QModelIndex node = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !node.isValid()) {
      event->accept();
      return;
    }
    const QPersistentModelIndex before = currentIndex();
    pressedNode_ = node;
    QTreeView::mousePressEvent(event);
    choseByPress_ = currentIndex() != before;
  }
  // Dragging with a button held chooses nothing on its way.
  void mouseMoveEvent(QMouseEvent* event) override {
    if (event->buttons() != Qt::NoButton) {
      event->accept();
      return;
    }
    QTreeView::mouseMoveEvent(event);
  }
  // Released over another node than pressed, there is no click: the person the press chose
  // is shown all the same.
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = indexAt(event->position().toPoint()) == pressedNode_;
    const bool chose = choseByPress_;
    choseByPress_ = false;
    QTreeView::mouseReleaseEvent(event);
    if (chose && !click && event->button() == Qt::LeftButton)
      moved_();
  }

 private:
  std::function<void()> moved_;
  QPersistentModelIndex pressedNode_;
  bool choseByPress_ = false;
};

// Browsing shows the record in disabled fields (not editable, not in the tab chain), but
// reading addresses is what the window is for: their text keeps the normal text colour. The
// background stays that of a disabled field, so browsing and editing still look apart. The
// colour is taken again whenever the colour scheme changes: a copy made once would keep the
// dark text of a light scheme after the desktop turned dark, dark text on a dark field.
class RecordFieldEdit : public QLineEdit {
 public:
  explicit RecordFieldEdit(QWidget* parent) : QLineEdit(parent) { KeepReadableWhenDisabled(); }

 protected:
  void changeEvent(QEvent* event) override {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
      KeepReadableWhenDisabled();
  }

 private:
  void KeepReadableWhenDisabled() {
    QPalette colors = palette();
    const QColor text = colors.color(QPalette::Active, QPalette::Text);
    // Equal already also ends the palette change that setPalette below causes.
    if (colors.color(QPalette::Disabled, QPalette::Text) == text)
      return;
    colors.setColor(QPalette::Disabled, QPalette::Text, text);
    setPalette(colors);
  }
};

QFrame* NewPanel(QWidget* parent, const QString& name, const QRect& geometry) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(geometry);
  return panel;
}

// Every list entry is 16 pixels high, so all rows have the same size and a list of many
// thousand entries lays out at once.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(16);
    return size;
  }
};

}  // namespace

void TForm1::CreateControls() {
  setWindowTitle(QStringLiteral("Pellumo! Network Edition"));
  setFont(WindowFont(13, true));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);

  Panel1 = NewPanel(client, QStringLiteral("Panel1"), QRect(0, 0, 513, 33));
  auto* editorPanel = NewPanel(client, QStringLiteral("RecordPanel"), QRect(8, 40, 353, 465));
  Panel2 = NewPanel(client, QStringLiteral("Panel2"), QRect(376, 40, 417, 41));
  Panel3 = NewPanel(client, QStringLiteral("Panel3"), QRect(376, 88, 417, 417));
  Panel3->installEventFilter(this);

  CreateEditor(editorPanel);
  CreateMainToolbar();
  CreateListToolbar();

  Label16 = new QLabel(QStringLiteral("Name"), Panel2);
  Label16->setObjectName(QStringLiteral("Label16"));
  Label16->move(187, 8);
  Label16->adjustSize();

  // The list and the tree show models that hold their texts whole: no object per entry.
  ListBox1 = new EntryListView(Panel3);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  listModel_ = new mainwindow::EntryListModel(this);
  ListBox1->setModel(listModel_);
  ListBox1->setGeometry(8, 8, 401, 401);
  ListBox1->setFont(WindowFont(13, false));
  ListBox1->setUniformItemSizes(true);
  ListBox1->setItemDelegate(new FixedHeightDelegate(ListBox1));
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  // Entries are never edited in place; the program keeps them sorted.
  ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  ListBox1->viewport()->installEventFilter(this);

  TreeView1 = new CompanyTreeView(Panel3, [this] { TreeView1Click(); });
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  treeModel_ = new mainwindow::CompanyTreeModel(this);
  TreeView1->setModel(treeModel_);
  // All rows are equally high, so expanding the whole tree never measures every row.
  TreeView1->setUniformRowHeights(true);
  TreeView1->setGeometry(8, 8, 401, 401);
  TreeView1->setFont(WindowFont(13, false));
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeView1->hide();

  CreateMenus();
  CreateSearchField();

  SaveDialog1.title = QStringLiteral("Speichern unter");
  SaveDialog1.filter = QStringLiteral("Excel Export (*.csv)");
  SaveDialog1.defaultSuffix = QStringLiteral("csv");
  SaveDialog1.confirmOverwrite = true;
  SaveDialog1.fileMustExist = false;

  resize(811, 560);
  move(249, 157);
}

void TForm1::CreateEditor(QWidget* editorPanel) {
  const QFont labelFont = WindowFont(13, false);
  const QFont editFont = WindowFont(11, false);

  auto newGroup = [&](const char* name, store::FieldGroup group, const QRect& geometry) {
    auto* box = new QGroupBox(store::GroupCaption(group), editorPanel);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
  };
  GroupBox1 = newGroup("GroupBox1", store::FieldGroup::PersonCompany, QRect(8, 8, 329, 145));
  GroupBox2 = newGroup("GroupBox2", store::FieldGroup::Address, QRect(8, 160, 329, 89));
  GroupBox3 = newGroup("GroupBox3", store::FieldGroup::Phone, QRect(8, 256, 329, 201));

  // Field and label rectangles inside their group box. Labels stand 4 pixels below the top
  // of their field so the texts line up with the field's text.
  struct Place {
    QRect field;
    QRect label;
  };
  auto row = [](int fieldTop) {
    return Place{QRect(184, fieldTop, 121, 21), QRect(8, fieldTop + 4, 172, 16)};
  };
  std::array<Place, store::kFieldCount> places;
  for (int i = store::kVorname; i <= store::kPosition; ++i)
    places[i] = row(20 + 24 * i);
  places[store::kStrasse] = row(24);
  places[store::kPLZ] = Place{QRect(64, 48, 41, 21), QRect(8, 52, 50, 16)};
  places[store::kOrt] = Place{QRect(184, 48, 121, 21), QRect(144, 52, 36, 16)};
  for (int i = store::kTelefon1; i <= store::kIRuf; ++i) {
    places[i] = row(24 + 24 * (i - store::kTelefon1));
  }

  const auto& fields = store::Fields();
  for (int i = 0; i < store::kFieldCount; ++i) {
    const store::FieldDef& def = fields[i];
    QGroupBox* box = def.group == store::FieldGroup::PersonCompany ? GroupBox1
                     : def.group == store::FieldGroup::Address     ? GroupBox2
                                                                   : GroupBox3;
    auto* label = new QLabel(QString::fromUtf8(def.label), box);
    label->setObjectName(QStringLiteral("Label_") + QLatin1String(def.control));
    label->setFont(labelFont);
    label->setGeometry(places[i].label);
    labels_[i] = label;

    auto* edit = new RecordFieldEdit(box);
    edit->setObjectName(QLatin1String(def.control));
    edit->setFont(editFont);
    edit->setGeometry(places[i].field);
    edit->setMaxLength(def.maxLength > 0 ? def.maxLength : kMaxFieldLength);
    edit->setEnabled(false);
    edit->installEventFilter(this);
    label->setBuddy(edit);
    edits_[i] = edit;
  }
  for (int i = 1; i < store::kFieldCount; ++i)
    setTabOrder(edits_[i - 1], edits_[i]);
}

QToolButton* TForm1::AddToolButton(QWidget* parent, const char* name, int left, int top,
                                   const QString& hint, const char* themeIcon,
                                   const char* fallback) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(left, top, 23, 22);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // the edit commands act on the focused field
  button->setIconSize(QSize(16, 16));
  const QIcon bundled(QStringLiteral(":/mainwindow/icons/") + QLatin1String(fallback));
  button->setIcon(QIcon::fromTheme(QLatin1String(themeIcon), bundled));
  button->setToolTip(hint);
  return button;
}

void TForm1::CreateMainToolbar() {
  auto add = [this](const char* name, int left, const char* hint, const char* theme,
                    const char* fallback) {
    return AddToolButton(Panel1, name, left, 6, QString::fromUtf8(hint), theme, fallback);
  };
  ToolbarButton971 =
      add("ToolbarButton971", 8, "Neuen Datensatz anlegen", "document-new", "new.png");
  ToolbarButton972 =
      add("ToolbarButton972", 32, "Datensatz bearbeiten", "document-edit", "edit.png");
  ToolbarButton974 =
      add("ToolbarButton974", 56, "Datensätze drucken", "document-print", "print.png");
  ToolbarButton975 = add("ToolbarButton975", 96, "Ausschneiden", "edit-cut", "cut.png");
  ToolbarButton976 = add("ToolbarButton976", 120, "Kopieren", "edit-copy", "copy.png");
  ToolbarButton977 = add("ToolbarButton977", 144, "Einfügen", "edit-paste", "paste.png");
  ToolbarButton978 = add("ToolbarButton978", 176, "Rückgängig", "edit-undo", "undo.png");
  ToolbarButton973 =
      add("ToolbarButton973", 216, "Excel Export", "x-office-spreadsheet", "export.png");
  ToolbarButton9711 =
      add("ToolbarButton9711", 440, "Dateneingabe abbrechen", "dialog-cancel", "cancel.png");
  Button1 = add("Button1", 472, "Dateneingabe beenden", "dialog-ok", "ok.png");
  for (QToolButton* off : {ToolbarButton975, ToolbarButton976, ToolbarButton977, ToolbarButton978,
                           ToolbarButton9711, Button1}) {
    off->setEnabled(false);
  }
}

void TForm1::CreateListToolbar() {
  auto add = [this](const char* name, int left, const char* hint, const char* theme,
                    const char* fallback) {
    return AddToolButton(Panel2, name, left, 8, QString::fromUtf8(hint), theme, fallback);
  };
  Button3 = add("Button3", 10, "Sortieren nach Interner Rufnummer", "call-start", "phone.png");
  ToolbarButton9712 =
      add("ToolbarButton9712", 42, "nach Firma sortieren", "x-office-address-book", "company.png");
  ToolbarButton9713 = add("ToolbarButton9713", 66, "", "view-list-tree", "expand.png");
  ToolbarButton9710 =
      add("ToolbarButton9710", 112, "Datensatz bearbeiten", "document-edit", "edit.png");
  ToolbarButton979 = add("ToolbarButton979", 136, "Datensatz löschen", "edit-delete", "delete.png");
  // Each toggle button is a group of its own in which all buttons may be up.
  for (QToolButton* toggle : {Button3, ToolbarButton9712, ToolbarButton9713}) {
    toggle->setCheckable(true);
  }
  ToolbarButton9713->setEnabled(false);
  // The views have no menu item and no key: Tab reaches them, so that a user without a mouse
  // can use them too (the spreadsheet export as well, though "&Datei" has it). A click still
  // leaves the focus where it was.
  for (QToolButton* onlyHere : {Button3, ToolbarButton9712, ToolbarButton9713, ToolbarButton973})
    onlyHere->setFocusPolicy(Qt::TabFocus);
}

QAction* TForm1::AddMenuItem(QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut, bool enabled) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QLatin1String(name));
  item->setShortcut(shortcut);
  item->setEnabled(enabled);
  return item;
}

void TForm1::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  bar->setFont(QApplication::font());

  auto newMenu = [bar](const char* name, const QString& title) {
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
  };
  auto separator = [](QMenu* menu, const char* name) {
    QAction* item = menu->addSeparator();
    item->setObjectName(QLatin1String(name));
    return item;
  };

  Datei1 = newMenu("Datei1", QStringLiteral("&Datei"));
  NeuerDatensatzerstellen1 =
      AddMenuItem(Datei1, "NeuerDatensatzerstellen1", QStringLiteral("&Neuer Datensatz erstellen"),
                  Qt::Key_F2, true);
  Datensatzbearbeiten1 = AddMenuItem(Datei1, "Datensatzbearbeiten1",
                                     QStringLiteral("Datensatz bearbeiten"), Qt::Key_F3, true);
  Dateneingabeabbrechen1 =
      AddMenuItem(Datei1, "Dateneingabeabbrechen1", QStringLiteral("Dateneingabe abbrechen"),
                  Qt::Key_F11, false);
  Dateneingabebeenden1 = AddMenuItem(Datei1, "Dateneingabebeenden1",
                                     QStringLiteral("Dateneingabe beenden"), Qt::Key_F12, false);
  ReporterstellenDrucken1 =
      AddMenuItem(Datei1, "ReporterstellenDrucken1", QStringLiteral("Report erstellen / Drucken"),
                  Qt::Key_F4, true);
  CreateExchangeMenuItems();
  N3 = separator(Datei1, "N3");
  Beenden1 = AddMenuItem(Datei1, "Beenden1", QStringLiteral("&Beenden"), QKeySequence(), true);

  Beabeiten1 = newMenu("Beabeiten1", QStringLiteral("&Beabeiten"));
  Rckgngig1 = AddMenuItem(Beabeiten1, "Rckgngig1", QStringLiteral("Rückgängig"),
                          QKeySequence(Qt::CTRL | Qt::Key_Z), false);
  Ausschneiden1 = AddMenuItem(Beabeiten1, "Ausschneiden1", QStringLiteral("Ausschneiden"),
                              QKeySequence(Qt::CTRL | Qt::Key_X), false);
  Kopieren1 = AddMenuItem(Beabeiten1, "Kopieren1", QStringLiteral("Kopieren"),
                          QKeySequence(Qt::CTRL | Qt::Key_C), false);
  Einfgen1 = AddMenuItem(Beabeiten1, "Einfgen1", QStringLiteral("Einfügen"),
                         QKeySequence(Qt::CTRL | Qt::Key_V), false);
  N4 = separator(Beabeiten1, "N4");
  Bearbeiten2 =
      AddMenuItem(Beabeiten1, "Bearbeiten2", QStringLiteral("&Bearbeiten"), Qt::Key_F5, true);
  Lschen2 = AddMenuItem(Beabeiten1, "Lschen2", QStringLiteral("&Löschen"), Qt::Key_F8, true);
  GelschteDatenstzeendgltigverwerfen1 = AddMenuItem(
      Beabeiten1, "GelschteDatenstzeendgltigverwerfen1",
      QStringLiteral("&Gelöschte Datensätze endgültig verwerfen"), QKeySequence(), true);
  G1 = AddMenuItem(Beabeiten1, "G1", QStringLiteral("Gelöschte Datensätze &wiederherstellen"),
                   QKeySequence(), true);
  VerwaisteDatenstzewiederherstellen1 =
      AddMenuItem(Beabeiten1, "VerwaisteDatenstzewiederherstellen1",
                  QStringLiteral("&Verwaiste Datensätze wiederherstellen"), QKeySequence(), true);

  N1 = newMenu("N1", QStringLiteral("&?"));
  Info1 = AddMenuItem(N1, "Info1", QStringLiteral("&Info"), QKeySequence(), true);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  PopupMenu1->setFont(QApplication::font());
  Bearbeiten1 =
      AddMenuItem(PopupMenu1, "Bearbeiten1", QStringLiteral("&Bearbeiten"), QKeySequence(), true);
  Lschen1 = AddMenuItem(PopupMenu1, "Lschen1", QStringLiteral("&Löschen"), QKeySequence(), true);
}

void TForm1::ConnectHandlers() {
  auto onClick = [this](QToolButton* button, void (TForm1::*handler)()) {
    connect(button, &QToolButton::clicked, this, handler);
  };
  onClick(ToolbarButton971, &TForm1::ToolbarButton971Click);
  onClick(ToolbarButton972, &TForm1::ToolbarButton972Click);
  onClick(ToolbarButton974, &TForm1::ToolbarButton974Click);
  onClick(ToolbarButton975, &TForm1::ToolbarButton975Click);
  onClick(ToolbarButton976, &TForm1::ToolbarButton976Click);
  onClick(ToolbarButton977, &TForm1::ToolbarButton977Click);
  onClick(ToolbarButton978, &TForm1::ToolbarButton978Click);
  onClick(ToolbarButton973, &TForm1::ToolbarButton973Click);
  onClick(ToolbarButton9711, &TForm1::ToolbarButton9711Click);
  onClick(Button1, &TForm1::Button1Click);
  onClick(Button3, &TForm1::Button3Click);
  onClick(ToolbarButton9712, &TForm1::ToolbarButton9712Click);
  onClick(ToolbarButton9713, &TForm1::ToolbarButton9713Click);
  onClick(ToolbarButton9710, &TForm1::ToolbarButton9710Click);
  onClick(ToolbarButton979, &TForm1::ToolbarButton979Click);

  // A menu item runs the command of its toolbar button.
  auto onTrigger = [this](QAction* item, void (TForm1::*handler)()) {
    connect(item, &QAction::triggered, this, handler);
  };
  onTrigger(NeuerDatensatzerstellen1, &TForm1::ToolbarButton971Click);
  onTrigger(Datensatzbearbeiten1, &TForm1::ToolbarButton972Click);
  onTrigger(Dateneingabeabbrechen1, &TForm1::ToolbarButton9711Click);
  onTrigger(Dateneingabebeenden1, &TForm1::Button1Click);
  onTrigger(ReporterstellenDrucken1, &TForm1::ToolbarButton974Click);
  onTrigger(Beenden1, &TForm1::Beenden1Click);
  onTrigger(Rckgngig1, &TForm1::ToolbarButton978Click);
  onTrigger(Ausschneiden1, &TForm1::ToolbarButton975Click);
  onTrigger(Kopieren1, &TForm1::ToolbarButton976Click);
  onTrigger(Einfgen1, &TForm1::ToolbarButton977Click);
  onTrigger(Bearbeiten2, &TForm1::ToolbarButton972Click);
  onTrigger(Lschen2, &TForm1::Lschen2Click);
  onTrigger(GelschteDatenstzeendgltigverwerfen1, &TForm1::GelschteDatenstzeendgltigverwerfen1Click);
  onTrigger(G1, &TForm1::G1Click);
  onTrigger(VerwaisteDatenstzewiederherstellen1, &TForm1::VerwaisteDatenstzewiederherstellen1Click);
  onTrigger(Info1, &TForm1::Info1Click);
  onTrigger(Bearbeiten1, &TForm1::Bearbeiten1Click);
  onTrigger(Lschen1, &TForm1::Lschen1Click);

  connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!listChangingQuietly_)
      ListBox1Click();
  });
  connect(ListBox1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });
  connect(TreeView1, &QTreeView::clicked, this, &TForm1::TreeView1Click);
}
