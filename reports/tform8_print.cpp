// The print command of the report generator: the block view as plain lines on the printer the
// user picks, the table view as the banded landscape report in its preview.
#include <QCheckBox>
#include <QPrinter>
#include <QTableView>
#include <QTextEdit>

#include "platform/dialogs.h"
#include "platform/textprinter.h"
#include "platform/usererror.h"
#include "reports/tablelayout.h"
#include "reports/tform12.h"
#include "reports/tform8.h"
#include "reports/tquickreport11.h"

// Prints the view on top of PageControl1.
void TForm8::ToolbarButton971Click() {
  try {
    if (TablePageCurrent()) {
      PrintTableView();
    } else {
      PrintBlockView();
    }
  } catch (const platform::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm8::PrintBlockView() {
  platform::Dialogs& dialogs = platform::Dialogs::Get();
  const platform::MessageBoxSpec question{QStringLiteral("Information"),
                                          QStringLiteral("Es wird die Blockansicht gedruckt!"),
                                          platform::Icon::Information,
                                          {QStringLiteral("OK"), QStringLiteral("&Abbrechen")},
                                          0,
                                          1};
  if (dialogs.ShowMessageBox(this, question) != 0)
    return;

  if (!printDialog1Printer_) {
    printDialog1Printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
  }
  if (!dialogs.ExecPrintDialog(this, *printDialog1Printer_))
    return;

  // The lines as the view shows them, wrapped at its present width; the view's own font and
  // colour, not the formatting inside the text.
  const QStringList lines = platform::DisplayedLines(*BlockDocument());
  platform::PrintTextLines(lines, BlockFont(), RichEdit1->palette().color(QPalette::Text),
                           *printDialog1Printer_);
}

void TForm8::PrintTableView() {
  // Both exist from start-up on; without them there is nothing to print with.
  if (!form12_ || !quickReport11_)
    return;
  if (platform::Dialogs::Get().ExecModal(*form12_) != QDialog::Accepted)
    return;
  const reports::GridTableSource table(GridData(), GridFont(),
                                       StringGrid1->palette().color(QPalette::Text));
  quickReport11_->PrintTable(table, form12_->CheckBox1->isChecked(), this);
}
