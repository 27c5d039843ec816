// The report generator window: controls, menu and the wiring of their commands.
#include "reports/tform8.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
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

#include "reports/gridmodel.h"
#include "reports/reportfields.h"
#include "reports/toolicons.h"

namespace {

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

TForm8::TForm8(std::function<QStringList()> mainListEntries, QString dataDir, QWidget* parent)
    : QDialog(parent),
      mainListEntries_(std::move(mainListEntries)),
      dataDir_(std::move(dataDir)),
      chosenFont_(QStringLiteral("MS Sans Serif"), 8) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("Reportgenerator"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setSizeGripEnabled(true);
  CreateControls();
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

  panel1_ = Place(new QWidget(client), "Panel1", 0, 0, 385, 33);
  toolbarButton972_ =
      AddToolButton(panel1_, "ToolbarButton972", 8, 6, QStringLiteral("Neuen Report erstellen"),
                    ToolIcon(ToolGlyph::New));
  toolbarButton974_ = AddToolButton(panel1_, "ToolbarButton974", 32, 6,
                                    QStringLiteral("Report öffnen"), ToolIcon(ToolGlyph::Open));
  toolbarButton975_ = AddToolButton(panel1_, "ToolbarButton975", 56, 6,
                                    QStringLiteral("Report speichern"), ToolIcon(ToolGlyph::Save));
  toolbarButton971_ = AddToolButton(panel1_, "ToolbarButton971", 88, 6,
                                    QStringLiteral("Report drucken"), ToolIcon(ToolGlyph::Print));
  toolbarButton977_ = AddToolButton(panel1_, "ToolbarButton977", 128, 6,
                                    QStringLiteral("Ausschneiden"), ToolIcon(ToolGlyph::Cut));
  toolbarButton978_ = AddToolButton(panel1_, "ToolbarButton978", 152, 6, QStringLiteral("Kopieren"),
                                    ToolIcon(ToolGlyph::Copy));
  toolbarButton979_ = AddToolButton(panel1_, "ToolbarButton979", 176, 6, QStringLiteral("Einfügen"),
                                    ToolIcon(ToolGlyph::Paste));
  toolbarButton9710_ = AddToolButton(panel1_, "ToolbarButton9710", 208, 6,
                                     QStringLiteral("Rückgängig"), ToolIcon(ToolGlyph::Undo));
  toolbarButton9711_ =
      AddToolButton(panel1_, "ToolbarButton9711", 248, 6, QStringLiteral("Schriftart ändern"),
                    ToolIcon(ToolGlyph::Font));
  toolbarButton976_ =
      AddToolButton(panel1_, "ToolbarButton976", 352, 6, QStringLiteral("Bericht bearbeiten"),
                    ToolIcon(ToolGlyph::Edit));
  toolbarButton976_->setCheckable(true);

  label1_ = new QLabel(QStringLiteral("Welche Datenfelder sollen ausgedruckt werden:"), client);
  QFont labelFont = font();
  labelFont.setPointSize(10);
  label1_->setFont(labelFont);
  Place(label1_, "Label1", 8, 48);

  tabbedNotebook1_ = new QTabWidget(client);
  Place(tabbedNotebook1_, "TabbedNotebook1", 0, 96, 233, 297);

  auto* kategorien = new QWidget;
  kategorien->setObjectName(QStringLiteral("Kategorien"));
  checkBox2_ = new QCheckBox(QStringLiteral("Alle auswählen"), kategorien);
  Place(checkBox2_, "CheckBox2", 8, 8);
  checkListBox1_ = new QListWidget(kategorien);
  Place(checkListBox1_, "CheckListBox1", 8, 32, 209, 204);
  toolbarButton973_ = AddToolButton(kategorien, "ToolbarButton973", 106, 240, QString(),
                                    ToolIcon(ToolGlyph::Build));
  tabbedNotebook1_->addTab(kategorien, QStringLiteral("Kategorien"));

  auto* datensaetze = new QWidget;
  datensaetze->setObjectName(QStringLiteral("Datensaetze"));
  checkBox3_ = new QCheckBox(QStringLiteral("Alle auswählen"), datensaetze);
  Place(checkBox3_, "CheckBox3", 5, 2);
  checkListBox2_ = new QListWidget(datensaetze);
  Place(checkListBox2_, "CheckListBox2", 3, 24, 214, 209);
  checkListBox2_->setUniformItemSizes(true);
  toolbarButton9712_ = AddToolButton(datensaetze, "ToolbarButton9712", 106, 240, QString(),
                                     ToolIcon(ToolGlyph::Build));
  tabbedNotebook1_->addTab(datensaetze, QStringLiteral("Datensätze"));

  auto* optionen = new QWidget;
  optionen->setObjectName(QStringLiteral("WeitereOptionen"));
  checkBox1_ = new QCheckBox(QStringLiteral("Nur Datensätze mit Interner "), optionen);
  Place(checkBox1_, "CheckBox1", 8, 8);
  label2_ = new QLabel(QStringLiteral("Rufnummer übernehmen"), optionen);
  Place(label2_, "Label2", 32, 24);
  toolbarButton9713_ =
      AddToolButton(optionen, "ToolbarButton9713", 114, 224, QString(), ToolIcon(ToolGlyph::Build));
  tabbedNotebook1_->addTab(optionen, QStringLiteral("Weitere Optionen"));

  for (const reports::ReportField& field : reports::ReportFields()) {
    auto* item = new QListWidgetItem(QString::fromUtf8(field.caption), checkListBox1_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }

  pageControl1_ = new QTabWidget(client);
  Place(pageControl1_, "PageControl1", 240, 96, 729, 281);
  gridModel_ = new reports::GridModel(this);
  stringGrid1_ = new QTableView;
  stringGrid1_->setObjectName(QStringLiteral("StringGrid1"));
  stringGrid1_->setModel(gridModel_);
  stringGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stringGrid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
  stringGrid1_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  stringGrid1_->setShowGrid(true);
  stringGrid1_->setWordWrap(false);
  stringGrid1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  stringGrid1_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  stringGrid1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  stringGrid1_->verticalHeader()->setDefaultSectionSize(stringGrid1_->fontMetrics().height() + 6);
  pageControl1_->addTab(FillingPage(stringGrid1_, "TabSheet1"), QStringLiteral("Tabelle"));
  // A report of every record has millions of lines: a plain-text view lays out only the lines
  // it shows, where a rich-text view lays out the whole text before it answers again.
  richEdit1_ = new QPlainTextEdit;
  richEdit1_->setObjectName(QStringLiteral("RichEdit1"));
  // Long lines wrap at the view's width; the view scrolls vertically only.
  richEdit1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  richEdit1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  richEdit1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pageControl1_->addTab(FillingPage(richEdit1_, "TabSheet2"), QStringLiteral("Blockansicht"));
  pageControl1_->setCurrentIndex(1);

  CreateMenu(menuBar_);
  SetGrid(reports::Grid::Reset());

  // The state on creation: only new, open, font and close can be used.
  checkBox2_->setChecked(true);
  checkBox3_->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{
           toolbarButton975_, toolbarButton971_, toolbarButton976_, toolbarButton973_,
           toolbarButton9712_, toolbarButton9713_, checkListBox1_, checkListBox2_, checkBox1_,
           label2_, checkBox2_, checkBox3_, toolbarButton977_, toolbarButton978_, toolbarButton979_,
           toolbarButton9710_}) {
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
  neuenReporterstellen1_ =
      action(datei, "NeuenReporterstellen1", QStringLiteral("Neuen Report erstellen"));
  reportffnen1_ = action(datei, "Reportffnen1", QStringLiteral("Report öffnen"));
  reportspeichernunter1_ =
      action(datei, "Reportspeichernunter1", QStringLiteral("Report speichern unter..."));
  reportdrucken1_ = action(datei, "Reportdrucken1", QStringLiteral("Report drucken"));
  datei->addSeparator()->setObjectName(QStringLiteral("N1"));
  ausmarkiertenDatenBerichterstellen1_ =
      action(datei, "AusmarkiertenDatenBerichterstellen1",
             QStringLiteral("Aus markierten Daten Bericht erstellen"));
  ausmarkiertenDatenBerichterstellen1_->setShortcut(QKeySequence(Qt::Key_F12));
  ausmarkiertenDatenBerichterstellen1_->setShortcutContext(Qt::WindowShortcut);
  datei->addSeparator()->setObjectName(QStringLiteral("N2"));
  reportgeneratorbeenden1_ =
      action(datei, "Reportgeneratorbeenden1", QStringLiteral("Reportgenerator beenden"));

  QMenu* bearbeiten = menuBar->addMenu(QStringLiteral("&Bearbeiten"));
  bearbeiten->setObjectName(QStringLiteral("Bearbeiten1"));
  rckgngig1_ = action(bearbeiten, "Rckgngig1", QStringLiteral("Rückgängig"));
  kopieren1_ = action(bearbeiten, "Kopieren1", QStringLiteral("Ausschneiden"));
  kopieren2_ = action(bearbeiten, "Kopieren2", QStringLiteral("Kopieren"));
  einfgen1_ = action(bearbeiten, "Einfgen1", QStringLiteral("Einfügen"));

  QMenu* extras = menuBar->addMenu(QStringLiteral("&Extras"));
  extras->setObjectName(QStringLiteral("Extras1"));
  schriftdialog1_ = action(extras, "Schriftdialog1", QStringLiteral("Schriftdialog"));

  // The shortcut must work while the menu is closed.
  addAction(ausmarkiertenDatenBerichterstellen1_);

  for (QAction* a : {reportspeichernunter1_, reportdrucken1_, ausmarkiertenDatenBerichterstellen1_,
                     rckgngig1_, kopieren1_, kopieren2_, einfgen1_}) {
    a->setEnabled(false);
  }
}

void TForm8::ConnectCommands() {
  auto onClick = [this](QToolButton* button, void (TForm8::*handler)()) {
    connect(button, &QToolButton::clicked, this, handler);
  };
  onClick(toolbarButton972_, &TForm8::ToolbarButton972Click);
  onClick(toolbarButton973_, &TForm8::ToolbarButton973Click);
  onClick(toolbarButton9712_, &TForm8::ToolbarButton973Click);
  onClick(toolbarButton9713_, &TForm8::ToolbarButton973Click);
  onClick(toolbarButton974_, &TForm8::ToolbarButton974Click);
  onClick(toolbarButton975_, &TForm8::ToolbarButton975Click);
  onClick(toolbarButton971_, &TForm8::ToolbarButton971Click);
  onClick(toolbarButton9711_, &TForm8::ToolbarButton9711Click);
  onClick(toolbarButton977_, &TForm8::ToolbarButton977Click);
  onClick(toolbarButton978_, &TForm8::ToolbarButton978Click);
  onClick(toolbarButton979_, &TForm8::ToolbarButton979Click);
  onClick(toolbarButton9710_, &TForm8::ToolbarButton9710Click);

  auto onTrigger = [this](QAction* item, void (TForm8::*handler)()) {
    connect(item, &QAction::triggered, this, handler);
  };
  onTrigger(neuenReporterstellen1_, &TForm8::ToolbarButton972Click);
  onTrigger(reportffnen1_, &TForm8::ToolbarButton974Click);
  onTrigger(reportspeichernunter1_, &TForm8::ToolbarButton975Click);
  onTrigger(reportdrucken1_, &TForm8::ToolbarButton971Click);
  onTrigger(ausmarkiertenDatenBerichterstellen1_, &TForm8::ToolbarButton973Click);
  onTrigger(reportgeneratorbeenden1_, &TForm8::Reportgeneratorbeenden1Click);
  onTrigger(rckgngig1_, &TForm8::ToolbarButton9710Click);
  onTrigger(kopieren1_, &TForm8::ToolbarButton977Click);
  onTrigger(kopieren2_, &TForm8::ToolbarButton978Click);
  onTrigger(einfgen1_, &TForm8::ToolbarButton979Click);
  onTrigger(schriftdialog1_, &TForm8::ToolbarButton9711Click);

  // A changed "Alle auswählen" box ticks or unticks its whole list, also when a command
  // changes it.
  connect(checkBox2_, &QCheckBox::toggled, this, &TForm8::CheckBox2Click);
  connect(checkBox3_, &QCheckBox::toggled, this, &TForm8::CheckBox3Click);
}

void TForm8::showEvent(QShowEvent* event) {
  if (!event->spontaneous())
    FormShow();
  QDialog::showEvent(event);
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
  return stringGrid1_->font();
}
QTextDocument* TForm8::BlockDocument() const {
  return richEdit1_->document();
}
QFont TForm8::BlockFont() const {
  return richEdit1_->font();
}
bool TForm8::BlockModified() const {
  return richEdit1_->document()->isModified();
}
bool TForm8::TablePageCurrent() const {
  return pageControl1_->currentIndex() == 0;
}

QStringList TForm8::BlockLines() const {
  return BlockText().ToStringList();
}

reports::TextLines TForm8::BlockText() const {
  const QTextDocument* document = richEdit1_->document();
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
