// The report generator window: controls, menu and the wiring of their commands.
#include "reports/tform8.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/designfont.h"
#include "reports/compacttabs.h"
#include "reports/gridmodel.h"
#include "reports/reportfields.h"
#include "reports/toolicons.h"
#include "store/addressbook.h"

namespace {

// The width of a grid column before the table is built, also that of the number column.
constexpr int kFixedColumnWidth = 64;

QWidget* Place(QWidget* widget, const char* name, int x, int y, int width = -1, int height = -1) {
  widget->setObjectName(QString::fromLatin1(name));
  if (width < 0) {
    widget->adjustSize();
    widget->move(x, y);
  } else {
    widget->setGeometry(x, y, width, height);
  }
  return widget;
}

QWidget* FillingPage(QWidget* content, const char* pageName) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(pageName));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
  return page;
}

}  // namespace

TForm8::TForm8(std::function<QStringList()> mainListEntries,
               std::shared_ptr<store::AddressBook> book, QWidget* parent)
    : QDialog(parent),
      mainListEntries_(std::move(mainListEntries)),
      book_(std::move(book)),
      chosenFont_(QStringLiteral("MS Sans Serif"), 8) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("Reportgenerator"));
  setFont(platform::DesignFontPoints(8));
  setSizeGripEnabled(true);
  CreateControls();
  // The views show the report's own font from the start, not the window's.
  ApplyFont(chosenFont_);
  ConnectCommands();
  resize(983, 453);
  move(148, 165);
}

TForm8::~TForm8() = default;

QToolButton* TForm8::AddToolButton(QWidget* parent, const char* name, int x, int y,
                                   const QString& tooltip, const QIcon& icon) {
  auto* button = new QToolButton(parent);
  Place(button, name, x, y, 23, 22);
  button->setAutoRaise(true);
  button->setIcon(icon);
  button->setIconSize(QSize(16, 16));
  button->setToolTip(tooltip);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

void TForm8::CreateControls() {
  using reports::ToolGlyph;
  using reports::ToolIcon;

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("MainMenu1"));
  outer->setMenuBar(menuBar_);
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  outer->addWidget(client);

  Panel1 = Place(new QWidget(client), "Panel1", 0, 0, 385, 33);
  ToolbarButton972 =
      AddToolButton(Panel1, "ToolbarButton972", 8, 6, QStringLiteral("Neuen Report erstellen"),
                    ToolIcon(ToolGlyph::New));
  ToolbarButton974 = AddToolButton(Panel1, "ToolbarButton974", 32, 6,
                                   QStringLiteral("Report öffnen"), ToolIcon(ToolGlyph::Open));
  ToolbarButton975 = AddToolButton(Panel1, "ToolbarButton975", 56, 6,
                                   QStringLiteral("Report speichern"), ToolIcon(ToolGlyph::Save));
  ToolbarButton971 = AddToolButton(Panel1, "ToolbarButton971", 88, 6,
                                   QStringLiteral("Report drucken"), ToolIcon(ToolGlyph::Print));
  ToolbarButton977 = AddToolButton(Panel1, "ToolbarButton977", 128, 6,
                                   QStringLiteral("Ausschneiden"), ToolIcon(ToolGlyph::Cut));
  ToolbarButton978 = AddToolButton(Panel1, "ToolbarButton978", 152, 6, QStringLiteral("Kopieren"),
                                   ToolIcon(ToolGlyph::Copy));
  ToolbarButton979 = AddToolButton(Panel1, "ToolbarButton979", 176, 6, QStringLiteral("Einfügen"),
                                   ToolIcon(ToolGlyph::Paste));
  ToolbarButton9710 = AddToolButton(Panel1, "ToolbarButton9710", 208, 6,
                                    QStringLiteral("Rückgängig"), ToolIcon(ToolGlyph::Undo));
  ToolbarButton9711 = AddToolButton(Panel1, "ToolbarButton9711", 248, 6,
                                    QStringLiteral("Schriftart ändern"), ToolIcon(ToolGlyph::Font));
  ToolbarButton976 = AddToolButton(Panel1, "ToolbarButton976", 352, 6,
                                   QStringLiteral("Bericht bearbeiten"), ToolIcon(ToolGlyph::Edit));
  ToolbarButton976->setCheckable(true);

  Label1 = new QLabel(QStringLiteral("Welche Datenfelder sollen ausgedruckt werden:"), client);
  Label1->setFont(platform::DesignFontPoints(10));
  Place(Label1, "Label1", 8, 48);

  TabbedNotebook1 = new QTabWidget(client);
  Place(TabbedNotebook1, "TabbedNotebook1", 0, 96, 233, 297);
  reports::UseCompactTabs(*TabbedNotebook1);

  auto* kategorien = new QWidget;
  kategorien->setObjectName(QStringLiteral("Kategorien"));
  CheckBox2 = new QCheckBox(QStringLiteral("Alle auswählen"), kategorien);
  Place(CheckBox2, "CheckBox2", 8, 8);
  CheckListBox1 = new QListWidget(kategorien);
  // Tall enough for all fifteen fields without scrolling: a little higher than designed, as the
  // rows of this platform's check lists are a pixel taller than the design's.
  Place(CheckListBox1, "CheckListBox1", 8, 27, 209, 212);
  ToolbarButton973 = AddToolButton(kategorien, "ToolbarButton973", 106, 240, QString(),
                                   ToolIcon(ToolGlyph::Build));
  TabbedNotebook1->addTab(kategorien, QStringLiteral("Kategorien"));

  auto* datensaetze = new QWidget;
  datensaetze->setObjectName(QStringLiteral("Datensaetze"));
  CheckBox3 = new QCheckBox(QStringLiteral("Alle auswählen"), datensaetze);
  Place(CheckBox3, "CheckBox3", 5, 2);
  CheckListBox2 = new QListWidget(datensaetze);
  Place(CheckListBox2, "CheckListBox2", 3, 24, 214, 209);
  CheckListBox2->setUniformItemSizes(true);
  ToolbarButton9712 = AddToolButton(datensaetze, "ToolbarButton9712", 106, 240, QString(),
                                    ToolIcon(ToolGlyph::Build));
  TabbedNotebook1->addTab(datensaetze, QStringLiteral("Datensätze"));

  auto* optionen = new QWidget;
  optionen->setObjectName(QStringLiteral("WeitereOptionen"));
  CheckBox1 = new QCheckBox(QStringLiteral("Nur Datensätze mit Interner "), optionen);
  Place(CheckBox1, "CheckBox1", 8, 8);
  Label2 = new QLabel(QStringLiteral("Rufnummer übernehmen"), optionen);
  Place(Label2, "Label2", 32, 24);
  ToolbarButton9713 =
      AddToolButton(optionen, "ToolbarButton9713", 114, 224, QString(), ToolIcon(ToolGlyph::Build));
  TabbedNotebook1->addTab(optionen, QStringLiteral("Weitere Optionen"));

  for (const reports::ReportField& field : reports::ReportFields()) {
    auto* item = new QListWidgetItem(QString::fromUtf8(field.caption), CheckListBox1);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }

  PageControl1 = new QTabWidget(client);
  Place(PageControl1, "PageControl1", 240, 96, 729, 281);
  gridModel_ = new reports::GridModel(this);
  StringGrid1 = new QTableView;
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setModel(gridModel_);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setShowGrid(true);
  StringGrid1->setWordWrap(false);
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
  // The number column keeps the width of a grid column when it holds no number yet; sized by
  // its empty cells alone it would shrink to a sliver.
  StringGrid1->verticalHeader()->setMinimumWidth(kFixedColumnWidth);
  PageControl1->addTab(FillingPage(StringGrid1, "TabSheet1"), QStringLiteral("Tabelle"));
  // A report of every record has millions of lines: a plain-text view lays out only the lines
  // it shows, where a rich-text view lays out the whole text before it answers again.
  RichEdit1 = new QPlainTextEdit;
  RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  // Long lines wrap at the view's width; the view scrolls vertically only.
  RichEdit1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab goes on to the next control, as from every other control of the window: while the
  // view is still writable it would otherwise type into the report and keep the keyboard.
  RichEdit1->setTabChangesFocus(true);
  PageControl1->addTab(FillingPage(RichEdit1, "TabSheet2"), QStringLiteral("Blockansicht"));
  PageControl1->setCurrentIndex(1);

  CreateMenu(menuBar_);
  SetGrid(reports::Grid::Reset());

  // The state on creation: only new, open, font and close can be used.
  CheckBox2->setChecked(true);
  CheckBox3->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{
           ToolbarButton975, ToolbarButton971, ToolbarButton976, ToolbarButton973,
           ToolbarButton9712, ToolbarButton9713, CheckListBox1, CheckListBox2, CheckBox1, Label2,
           CheckBox2, CheckBox3, ToolbarButton977, ToolbarButton978, ToolbarButton979,
           ToolbarButton9710}) {
    w->setEnabled(false);
  }
}

void TForm8::CreateMenu(QMenuBar* menuBar) {
  auto action = [this](QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  QMenu* datei = menuBar->addMenu(QStringLiteral("&Datei"));
  datei->setObjectName(QStringLiteral("Datei1"));
  NeuenReporterstellen1 =
      action(datei, "NeuenReporterstellen1", QStringLiteral("Neuen Report erstellen"));
  Reportffnen1 = action(datei, "Reportffnen1", QStringLiteral("Report öffnen"));
  Reportspeichernunter1 =
      action(datei, "Reportspeichernunter1", QStringLiteral("Report speichern unter..."));
  Reportdrucken1 = action(datei, "Reportdrucken1", QStringLiteral("Report drucken"));
  datei->addSeparator()->setObjectName(QStringLiteral("N1"));
  AusmarkiertenDatenBerichterstellen1 =
      action(datei, "AusmarkiertenDatenBerichterstellen1",
             QStringLiteral("Aus markierten Daten Bericht erstellen"));
  AusmarkiertenDatenBerichterstellen1->setShortcut(QKeySequence(Qt::Key_F12));
  AusmarkiertenDatenBerichterstellen1->setShortcutContext(Qt::WindowShortcut);
  datei->addSeparator()->setObjectName(QStringLiteral("N2"));
  Reportgeneratorbeenden1 =
      action(datei, "Reportgeneratorbeenden1", QStringLiteral("Reportgenerator beenden"));

  QMenu* bearbeiten = menuBar->addMenu(QStringLiteral("&Bearbeiten"));
  bearbeiten->setObjectName(QStringLiteral("Bearbeiten1"));
  Rckgngig1 = action(bearbeiten, "Rckgngig1", QStringLiteral("Rückgängig"));
  Ausschneiden1 = action(bearbeiten, "Kopieren1", QStringLiteral("Ausschneiden"));
  Kopieren2 = action(bearbeiten, "Kopieren2", QStringLiteral("Kopieren"));
  Einfgen1 = action(bearbeiten, "Einfgen1", QStringLiteral("Einfügen"));

  QMenu* extras = menuBar->addMenu(QStringLiteral("&Extras"));
  extras->setObjectName(QStringLiteral("Extras1"));
  Schriftdialog1 = action(extras, "Schriftdialog1", QStringLiteral("Schriftdialog"));

  // The shortcut must work while the menu is closed.
  addAction(AusmarkiertenDatenBerichterstellen1);

  for (QAction* a : {Reportspeichernunter1, Reportdrucken1, AusmarkiertenDatenBerichterstellen1,
                     Rckgngig1, Ausschneiden1, Kopieren2, Einfgen1}) {
    a->setEnabled(false);
  }
}

void TForm8::ConnectCommands() {
  auto onClick = [this](QToolButton* button, void (TForm8::*handler)()) {
    connect(button, &QToolButton::clicked, this, handler);
  };
  onClick(ToolbarButton972, &TForm8::ToolbarButton972Click);
  onClick(ToolbarButton973, &TForm8::ToolbarButton973Click);
  onClick(ToolbarButton9712, &TForm8::ToolbarButton973Click);
  onClick(ToolbarButton9713, &TForm8::ToolbarButton973Click);
  onClick(ToolbarButton974, &TForm8::ToolbarButton974Click);
  onClick(ToolbarButton975, &TForm8::ToolbarButton975Click);
  onClick(ToolbarButton971, &TForm8::ToolbarButton971Click);
  onClick(ToolbarButton9711, &TForm8::ToolbarButton9711Click);
  onClick(ToolbarButton977, &TForm8::ToolbarButton977Click);
  onClick(ToolbarButton978, &TForm8::ToolbarButton978Click);
  onClick(ToolbarButton979, &TForm8::ToolbarButton979Click);
  onClick(ToolbarButton9710, &TForm8::ToolbarButton9710Click);

  auto onTrigger = [this](QAction* item, void (TForm8::*handler)()) {
    connect(item, &QAction::triggered, this, handler);
  };
  onTrigger(NeuenReporterstellen1, &TForm8::ToolbarButton972Click);
  onTrigger(Reportffnen1, &TForm8::ToolbarButton974Click);
  onTrigger(Reportspeichernunter1, &TForm8::ToolbarButton975Click);
  onTrigger(Reportdrucken1, &TForm8::ToolbarButton971Click);
  onTrigger(AusmarkiertenDatenBerichterstellen1, &TForm8::ToolbarButton973Click);
  onTrigger(Reportgeneratorbeenden1, &TForm8::Reportgeneratorbeenden1Click);
  onTrigger(Rckgngig1, &TForm8::ToolbarButton9710Click);
  onTrigger(Ausschneiden1, &TForm8::ToolbarButton977Click);
  onTrigger(Kopieren2, &TForm8::ToolbarButton978Click);
  onTrigger(Einfgen1, &TForm8::ToolbarButton979Click);
  onTrigger(Schriftdialog1, &TForm8::ToolbarButton9711Click);

  // A changed "Alle auswählen" box ticks or unticks its whole list, also when a command
  // changes it.
  connect(CheckBox2, &QCheckBox::toggled, this, &TForm8::CheckBox2Click);
  connect(CheckBox3, &QCheckBox::toggled, this, &TForm8::CheckBox3Click);
}

void TForm8::showEvent(QShowEvent* event) {
  if (!event->spontaneous())
    FormShow();
  QDialog::showEvent(event);
}

void TForm8::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous())
    FormHide();
}

void TForm8::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TForm8::reject() {
  if (FormCloseQuery())
    QDialog::reject();
}

void TForm8::SetPrintWindows(TForm12* form12, TQuickReport11* quickReport11) {
  form12_ = form12;
  quickReport11_ = quickReport11;
}

const reports::Grid& TForm8::GridData() const {
  return gridModel_->GetGrid();
}
int TForm8::GridColumnCount() const {
  return GridData().columnCount;
}
int TForm8::GridRowCount() const {
  return GridData().rowCount;
}

QString TForm8::GridCell(int column, int row) const {
  return GridData().Contains(column, row) ? GridData().Cell(column, row) : QString();
}

QFont TForm8::GridFont() const {
  return StringGrid1->font();
}
QTextDocument* TForm8::BlockDocument() const {
  return RichEdit1->document();
}
QFont TForm8::BlockFont() const {
  return RichEdit1->font();
}
bool TForm8::BlockModified() const {
  return RichEdit1->document()->isModified();
}
bool TForm8::TablePageCurrent() const {
  return PageControl1->currentIndex() == 0;
}

QStringList TForm8::BlockLines() const {
  return BlockText().ToStringList();
}

reports::TextLines TForm8::BlockText() const {
  const QTextDocument* document = RichEdit1->document();
  reports::TextLines lines;
  if (document->isEmpty())
    return lines;
  // The whole text in one piece: paragraphs end in paragraph separators, and a paragraph
  // holds one line or several, divided by line separators.
  const QString text = document->toRawText();
  lines.Reserve(document->blockCount(), text.size());
  const QChar* d = text.constData();
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = d[i].unicode();
    if (u != QChar::LineSeparator && u != QChar::ParagraphSeparator)
      continue;
    lines.AppendLine(QStringView(d + start, i - start));
    start = i + 1;
  }
  lines.AppendLine(QStringView(d + start, text.size() - start));
  return lines;
}
