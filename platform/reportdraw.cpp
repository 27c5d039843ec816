// Drawing laid-out report pages onto paged devices, and the print preview.
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/dialogs.h"
#include "platform/reportengine.h"

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

bool PrintReport(Report& report, QPagedPaintDevice& device) {
  // Lay out on the paper the device really has, in case the user changed it in the set-up.
  const QRectF paintMm = device.pageLayout().paintRect(QPageLayout::Millimeter);
  const std::vector<ReportPage> pages =
      LayOutReport(report, QSizeF(MmToLayoutPx(paintMm.width()), MmToLayoutPx(paintMm.height())));
  QPainter painter;
  if (!painter.begin(&device))
    return false;
  const qreal scaleX = device.logicalDpiX() / kLayoutDpi;
  const qreal scaleY = device.logicalDpiY() / kLayoutDpi;
  for (size_t i = 0; i < pages.size(); ++i) {
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
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&report, &preview](QPrinter* target) {
                     if (PrintReport(report, *target))
                       return;
                     // Printed into a file, the file is what failed: say which one, as the
                     // block print does.
                     const bool toFile = target->outputFormat() == QPrinter::PdfFormat &&
                                         !target->outputFileName().isEmpty();
                     Dialogs::Get().Error(
                         &preview, toFile ? QStringLiteral("Datei %1 kann nicht erstellt werden")
                                                .arg(target->outputFileName())
                                          : QStringLiteral("Der Bericht konnte nicht "
                                                           "gedruckt werden."));
                   });
  Dialogs::Get().ExecModal(preview);
}

}  // namespace platform
