// Drawing laid-out report pages onto paged devices, and the print preview.
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "platform/waitcursor.h"

namespace platform {
namespace {

// Fonts are kept in points so they come out at their physical size on every device; a font
// given in pixels is taken as pixels of the layout's 96 dpi.
QFont DeviceFont(const QFont& font) {
  if (font.pixelSize() <= 0)
    return font;
  QFont converted = font;
  converted.setPointSizeF(font.pixelSize() * 72.0 / kLayoutDpi);
  return converted;
}

// Wide enough for any text; labels are sized to their text and never clipped. A text that the
// layout wrapped holds its lines joined by "\n", so the drawing breaks it only there.
constexpr qreal kUnclippedWidth = 1.0e6;

// The progress of drawing a report of many pages: the preview draws every page before it
// shows the first, and a table of all records runs to thousands of pages. Only a preview can
// be cancelled: a print run stopped half-way would still print the pages drawn so far (the
// print systems Qt hands the run to cannot all abort it).
class PagesDrawn {
 public:
  PagesDrawn(QWidget* parent, bool preview) : parent_(parent), preview_(preview) {}

  bool operator()(int page, int pages) {
    if (pages < kManyPages)
      return true;
    pages_ = pages;
    // Some two hundred steps: showing each of thousands of pages would slow the drawing by half.
    const int step = std::max(1, pages / 200);
    if (page > 1 && (page - 1) % step != 0)
      return true;
    if (!dialog_) {
      dialog_ = std::make_unique<QProgressDialog>(parent_);
      dialog_->setObjectName(QStringLiteral("PreviewProgress"));
      dialog_->setWindowTitle(preview_ ? QStringLiteral("Seitenansicht")
                                       : QStringLiteral("Drucken"));
      if (!preview_)
        dialog_->setCancelButton(nullptr);
      dialog_->setWindowModality(Qt::WindowModal);
      dialog_->setMinimumDuration(0);
      dialog_->setAutoClose(false);
      dialog_->setAutoReset(false);
      dialog_->setRange(0, pages);
      dialog_->setValue(0);
    }
    dialog_->setLabelText(QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
    dialog_->setValue(page - 1);
    if (!preview_ || !dialog_->wasCanceled())
      return true;
    stoppedAt_ = page - 1;
    return false;
  }

  // The pages drawn when the user cancelled, or -1.
  int StoppedAt() const { return stoppedAt_; }
  int Pages() const { return pages_; }

 private:
  static constexpr int kManyPages = 50;
  QWidget* parent_;
  bool preview_;
  std::unique_ptr<QProgressDialog> dialog_;
  int stoppedAt_ = -1;
  int pages_ = 0;
};

}  // namespace

void DrawReportPage(QPainter& painter, const ReportPage& page, qreal scaleX, qreal scaleY) {
  for (const PlacedLine& line : page.lines) {
    QPen pen(line.color);
    pen.setWidthF(scaleY);  // one layout pixel
    pen.setStyle(line.style);
    painter.setPen(pen);
    painter.drawLine(QLineF(line.line.x1() * scaleX, line.line.y1() * scaleY,
                            line.line.x2() * scaleX, line.line.y2() * scaleY));
  }
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
  std::vector<QFont> fonts;
  if (page.styles) {
    for (const TextStyle& style : *page.styles)
      fonts.push_back(DeviceFont(style.font));
  }
  int current = -1;
  for (const PlacedText& text : page.texts) {
    const TextStyle& style = page.StyleOf(text);
    if (text.style != current) {
      painter.setFont(fonts[text.style]);
      current = text.style;
    }
    const QRectF box(style.left * scaleX, text.top * scaleY, kUnclippedWidth,
                     style.height * scaleY);
    if (style.background.isValid() && style.background.alpha() > 0) {
      painter.fillRect(painter.boundingRect(box, flags, text.text), style.background);
    }
    painter.setPen(style.color);
    painter.drawText(box, flags, text.text);
  }
}

void ApplyPageSettings(const ReportPageSettings& settings, QPagedPaintDevice& device) {
  device.setPageLayout(settings.PageLayout());
}

bool PrintReport(Report& report, QPagedPaintDevice& device, const PageProgress& progress) {
  // Lay out on the paper the device really has, in case the user changed it in the set-up.
  const QRectF paintMm = device.pageLayout().paintRect(QPageLayout::Millimeter);
  // Laying out every page comes before the first is drawn, so before the drawing's progress
  // can show: for a table of every record of a large address book that is many seconds.
  WaitCursor wait;
  const std::vector<ReportPage> pages =
      LayOutReport(report, QSizeF(MmToLayoutPx(paintMm.width()), MmToLayoutPx(paintMm.height())));
  wait.Done();
  QPainter painter;
  if (!painter.begin(&device))
    return false;
  const qreal scaleX = device.logicalDpiX() / kLayoutDpi;
  const qreal scaleY = device.logicalDpiY() / kLayoutDpi;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (progress && !progress(int(i) + 1, int(pages.size())))
      break;
    if (i > 0 && !device.newPage()) {
      painter.end();
      return false;
    }
    DrawReportPage(painter, pages[i], scaleX, scaleY);
  }
  return painter.end();
}

void ShowReportPreview(Report& report, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  ApplyPageSettings(report.page, printer);
  printer.setCopyCount(1);
  printer.setDuplex(QPrinter::DuplexNone);
  printer.setPrintRange(QPrinter::AllPages);

  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName(QStringLiteral("ReportPreview"));
  preview.setWindowTitle(QStringLiteral("Seitenansicht"));
  // The buttons of the preview's tool bar take no focus of their own, and printing and the
  // page set-up have no key: in the Tab chain, the space bar runs each of them.
  for (QToolButton* button : preview.findChildren<QToolButton*>())
    button->setFocusPolicy(Qt::TabFocus);
  QObject::connect(
      &preview, &QPrintPreviewDialog::paintRequested, &preview,
      [&report, &preview](QPrinter* target) {
        const bool previewing = target->paintEngine()->type() == QPaintEngine::Picture;
        PagesDrawn drawn(&preview, previewing);
        const bool printed = PrintReport(report, *target, std::ref(drawn));
        if (previewing) {
          // A preview cut short says so, lest its last page be taken for the
          // report's last.
          preview.setWindowTitle(drawn.StoppedAt() < 0
                                     ? QStringLiteral("Seitenansicht")
                                     : QStringLiteral("Seitenansicht (abgebrochen nach %1 von %2 "
                                                      "Seiten)")
                                           .arg(drawn.StoppedAt())
                                           .arg(drawn.Pages()));
        }
        if (printed)
          return;
        // Printed into a file, the file is what failed: say which one, as the
        // block print does.
        const bool toFile =
            target->outputFormat() == QPrinter::PdfFormat && !target->outputFileName().isEmpty();
        Dialogs::Get().Error(&preview, toFile
                                           ? QStringLiteral("Datei %1 kann nicht erstellt werden")
                                                 .arg(target->outputFileName())
                                           : QStringLiteral("Der Bericht konnte nicht "
                                                            "gedruckt werden."));
      });
  Dialogs::Get().ExecModal(preview);
}

}  // namespace platform
