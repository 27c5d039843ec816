#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QWidget;

// A small banded report engine: a column header at the top of every page, a stack of detail
// bands fed row by row through NeedData questions, and a page footer with the page number at the
// bottom of every page. Laying out is a step of its own that yields positioned texts and lines
// per page, so the result can be checked without a printer; drawing maps those pages onto any
// paged device.
//
// All positions are layout pixels of 1/96 inch, measured from the top-left corner of the
// printable area (inside the page margins).
namespace platform {

constexpr qreal kLayoutDpi = 96.0;

// Millimetres to layout pixels and back.
qreal MmToLayoutPx(qreal mm);
qreal LayoutPxToMm(qreal px);

struct ReportFrame {
  bool drawBottom = false;  // a line along the band's bottom edge
  Qt::PenStyle style = Qt::SolidLine;
  QColor color = Qt::black;
};

enum class ReportItemKind {
  Label,       // prints its caption, or what its print handler supplies
  PageNumber,  // prints the number of the page it is on
};

class ReportLabel;
using ReportLabelPrintHandler = std::function<void(const ReportLabel& sender, QString& value)>;

// A text item of a band, placed by its left edge and top inside the band, left-aligned and
// sized to its text: a text wider than its neighbour's distance runs on, nothing cuts it. With
// word wrap on, a text that would run past the band's right edge (and so off the paper) goes on
// in further lines below, broken there, and its band grows to hold its lines, as it does for a
// font taller than the label's box.
class ReportLabel {
 public:
  ReportLabel(QString name, ReportItemKind kind, QString caption);

  QString name;
  ReportItemKind kind;
  QString caption;
  qreal left = 0;
  qreal top = 0;
  qreal height = 17;
  QFont font;
  QColor color = Qt::black;
  QColor background;  // invalid: transparent
  bool visible = true;
  bool wordWrap = false;
  // Called just before the label is placed; value comes preset with the caption (the page
  // number for a page number item) and is what gets printed.
  ReportLabelPrintHandler onPrint;
};

enum class BandKind {
  ColumnHeader,  // top of every page
  Detail,        // once for every row of the report
  SubDetail,     // for every row, as long as its own NeedData answers yes
  PageFooter,    // bottom of every page, with the page number
};

class ReportBand;
using ReportNeedDataHandler = std::function<void(bool& moreData)>;

class ReportBand {
 public:
  ReportBand(QString name, BandKind kind, qreal height);
  ReportBand(const ReportBand&) = delete;
  ReportBand& operator=(const ReportBand&) = delete;

  // Adds an item; the band owns it and its address stays valid for the band's life.
  ReportLabel& AddLabel(const QString& name, const QString& caption = {},
                        ReportItemKind kind = ReportItemKind::Label);
  const std::vector<std::unique_ptr<ReportLabel>>& Labels() const { return labels_; }

  QString name;
  BandKind kind;
  qreal height;
  ReportFrame frame;
  // A sub-detail band is asked once per row with moreData preset to true and again after every
  // band it printed with moreData preset to false; it prints while the answer is yes.
  ReportNeedDataHandler onNeedData;

 private:
  std::vector<std::unique_ptr<ReportLabel>> labels_;
};

struct ReportPageSettings {
  QPageSize::PageSizeId paper = QPageSize::A4;
  QPageLayout::Orientation orientation = QPageLayout::Landscape;
  QMarginsF marginsMm{10.0, 10.0, 10.0, 10.0};

  QPageLayout PageLayout() const;
  // Size of the area inside the margins, in layout pixels.
  QSizeF PrintableSizePx() const;
};

class Report {
 public:
  explicit Report(QString name = {});
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // Adds a band; bands of one kind print in the order they were added.
  ReportBand& AddBand(const QString& name, BandKind kind, qreal height);
  const std::vector<std::unique_ptr<ReportBand>>& Bands() const { return bands_; }

  QString name;
  ReportPageSettings page;
  // Without rows, a report that may not print empty yields no page at all.
  bool printIfEmpty = false;
  // The report is about to be produced; clearing printReport produces nothing.
  std::function<void(bool& printReport)> onBeforePrint;
  // Whether another row follows: asked first with moreData preset to true, then with false.
  // Without a handler the report has exactly one row.
  ReportNeedDataHandler onNeedData;

 private:
  std::vector<std::unique_ptr<ReportBand>> bands_;
};

// How a placed text looks and where its box starts across; one per label, shared by all the
// texts the label printed in one run.
struct TextStyle {
  const ReportLabel* source = nullptr;
  qreal left = 0;
  qreal height = 0;  // of the label box
  QFont font;
  QColor color;
  QColor background;  // invalid: transparent
};

// One positioned text: the text a label printed and the top of its box; the left edge and the
// look come from its style. A text wrapped at the band's right edge holds its lines joined by
// "\n". Kept small: a table of 100 000 rows places one and a half million.
struct PlacedText {
  QString text;
  float top = 0;
  int style = 0;  // index into the page's styles
};

struct PlacedLine {
  QLineF line;
  Qt::PenStyle style = Qt::SolidLine;
  QColor color = Qt::black;
};

struct ReportPage {
  int number = 0;  // 1-based
  // The styles of one run, the same for all its pages.
  std::shared_ptr<const std::vector<TextStyle>> styles;
  std::vector<PlacedText> texts;
  std::vector<PlacedLine> lines;

  const TextStyle& StyleOf(const PlacedText& text) const { return (*styles)[text.style]; }
  const ReportLabel* SourceOf(const PlacedText& text) const { return StyleOf(text).source; }
  // Top-left corner of the text's box.
  QPointF PosOf(const PlacedText& text) const { return QPointF(StyleOf(text).left, text.top); }
};

// Produces the report's pages: runs BeforePrint, asks NeedData row by row, calls every visible
// label's print handler just before placing it, repeats the column header at the top and the
// page footer at the bottom of every page, and begins a new page when the next detail band
// would not fit above the page footer. printableSizePx overrides the size from the page
// settings (for a device whose paper the user changed).
std::vector<ReportPage> LayOutReport(Report& report);
std::vector<ReportPage> LayOutReport(Report& report, const QSizeF& printableSizePx);

// Draws one laid-out page with the painter's origin at the top-left of the printable area;
// scale is device pixels per layout pixel.
void DrawReportPage(QPainter& painter, const ReportPage& page, qreal scaleX, qreal scaleY);

// Gives the device the report's paper, orientation and margins.
void ApplyPageSettings(const ReportPageSettings& settings, QPagedPaintDevice& device);

// Asked before each page is drawn (page counts from 1); false stops the drawing.
using PageProgress = std::function<bool(int page, int pages)>;

// Produces the pages anew and draws them onto the device, one device page per report page.
// Returns false when the device cannot be opened for painting. A drawing that progress stops
// ends with the pages drawn so far.
bool PrintReport(Report& report, QPagedPaintDevice& device, const PageProgress& progress = {});

// Shows the report in the print preview (page navigation, zoom, printer set-up, printing),
// modally through the dialog seam. Every drawing of the preview and every print from it
// produces the pages anew; a report of many pages shows a progress dialog meanwhile
// ("PreviewProgress"), whose cancel button stops the drawing. Returns when the preview is
// closed.
void ShowReportPreview(Report& report, QWidget* parent);

}  // namespace platform
