// The print command of the report generator: the block view as plain lines on the printer the
// user picks, the table view as the banded landscape report in its preview.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTableView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <climits>

#include "platform/dialogs.h"
#include "platform/textprinter.h"
#include "reports/tablelayout.h"
#include "reports/tform12.h"
#include "reports/tform8.h"
#include "reports/tquickreport11.h"
#include "store/usererror.h"

namespace {

// The lines as the block view shows them: each paragraph broken where the view breaks it, each
// piece a line of its own; an empty last line does not count. The view lays out only the
// paragraphs it has shown, so every paragraph is laid out here in a layout of its own, with the
// font, options and width the view lays out with: printing leaves the view as it was, and a
// report of millions of lines does not keep a layout for each of its paragraphs afterwards.
QStringList ShownLines(const QPlainTextEdit& view) {
  const QTextDocument& document = *view.document();
  const QTextOption option = document.defaultTextOption();
  // The view's layout wraps at the width of its viewport.
  qreal width = view.lineWrapMode() == QPlainTextEdit::WidgetWidth && view.viewport()->width() > 0
                    ? qreal(view.viewport()->width())
                    : qreal(INT_MAX);
  width -= 2 * document.documentMargin();
  if (option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
    width -= QFontMetrics(document.defaultFont()).horizontalAdvance(QChar(0x21B5));

  QStringList lines;
  lines.reserve(document.lineCount());
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    QTextLayout layout(text, block.charFormat().font().resolve(document.defaultFont()),
                       view.viewport());
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      QString piece = text.mid(line.textStart(), line.textLength());
      piece.remove(QChar::LineSeparator);
      lines.append(piece);
    }
    layout.endLayout();
  }
  if (!lines.isEmpty() && lines.constLast().isEmpty())
    lines.removeLast();
  return lines;
}

// Reports are printed in black on the white paper whatever the screen's colour scheme: the
// views' text colour in a dark scheme is nearly white and would leave the paper blank.
QColor PaperInk() {
  return Qt::black;
}

}  // namespace

// Prints the view on top of PageControl1.
void TForm8::ToolbarButton971Click() {
  try {
    if (TablePageCurrent()) {
      PrintTableView();
    } else {
      PrintBlockView();
    }
  } catch (const store::UserError& error) {
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

  // The lines as the view shows them, wrapped at its present width, in the view's own font,
  // not the formatting inside the text.
  const QStringList lines = ShownLines(*RichEdit1);
  platform::PrintTextLines(lines, BlockFont(), PaperInk(), *printDialog1Printer_);
}

void TForm8::PrintTableView() {
  // Both exist from start-up on; without them there is nothing to print with.
  if (!form12_ || !quickReport11_)
    return;
  if (platform::Dialogs::Get().ExecModal(*form12_) != QDialog::Accepted)
    return;
  const reports::GridTableSource table(GridData(), GridFont(), PaperInk());
  quickReport11_->PrintTable(table, form12_->CheckBox1->isChecked(), this);
}
