#include "reports/tquickreport11.h"

#include "reports/tablelayout.h"

namespace {

// Layout pixels of 1/96 inch.
constexpr qreal kHeaderBandHeight = 40;
constexpr qreal kRowBandHeight = 27;
constexpr qreal kFooterBandHeight = 40;
constexpr qreal kHeaderLabelTop = 16;
constexpr qreal kDetailLabelTop = 5;
constexpr qreal kLabelHeight = 17;

QFont LayoutFont() {
  return QFont(QStringLiteral("Arial"), 10);
}

}  // namespace

TQuickReport11::TQuickReport11(QObject* parent)
    : QObject(parent), report_(QStringLiteral("QuickReport11")) {
  setObjectName(QStringLiteral("QuickReport11"));
  report_.page.paper = QPageSize::A4;
  report_.page.orientation = QPageLayout::Landscape;
  report_.page.marginsMm = QMarginsF(10.0, 10.0, 10.0, 10.0);
  report_.printIfEmpty = false;
  CreateBands();
  ConnectHandlers();
}

TQuickReport11::~TQuickReport11() = default;

void TQuickReport11::CreateBands() {
  QRBand1 = &report_.AddBand(QStringLiteral("QRBand1"), platform::BandKind::ColumnHeader,
                             kHeaderBandHeight);
  QRBand1->frame.drawBottom = true;
  QRBand1->frame.style = Qt::SolidLine;

  QRSubDetail1 = &report_.AddBand(QStringLiteral("QRSubDetail1"), platform::BandKind::SubDetail,
                                  kRowBandHeight);
  QRSubDetail1->frame.drawBottom = true;
  QRSubDetail1->frame.style = Qt::DashLine;

  QRBand3 = &report_.AddBand(QStringLiteral("QRBand3"), platform::BandKind::PageFooter,
                             kFooterBandHeight);

  for (int k = 1; k <= 30; ++k) {
    platform::ReportBand* band = k <= reports::kColumnSlots ? QRBand1 : QRSubDetail1;
    // Placeholders until the print handlers supply the texts; static strings, because every
    // printed text starts as a copy of its label's caption.
    const QString placeholder =
        k <= reports::kColumnSlots ? QStringLiteral("Spaltenname") : QStringLiteral("Feldinhalt");
    platform::ReportLabel& label = band->AddLabel(QStringLiteral("QRLabel%1").arg(k), placeholder);
    const int slot = (k - 1) % reports::kColumnSlots;
    label.left = reports::SlotLeft(slot, ColumnStep);
    label.top = k <= reports::kColumnSlots ? kHeaderLabelTop : kDetailLabelTop;
    label.height = kLabelHeight;
    label.font = LayoutFont();
    label.wordWrap = true;
    labels_[k - 1] = &label;
  }

  QRSysData1 = &QRBand3->AddLabel(QStringLiteral("QRSysData1"), QString(),
                                  platform::ReportItemKind::PageNumber);
  QRSysData1->left = 505;
  QRSysData1->top = 12;
  QRSysData1->height = kLabelHeight;
  QRSysData1->font = LayoutFont();
  QRSysData1->background = Qt::white;
}

platform::ReportLabel& TQuickReport11::QRLabel(int k) const {
  return *labels_.at(k - 1);
}

void TQuickReport11::PrepareTable(const reports::TableSource& table, bool separatorLines) {
  table_ = &table;
  const int n = table.ColumnCount();
  ColumnStep = reports::ColumnStepFor(n);
  QRSubDetail1->frame.drawBottom = separatorLines;
  const int filled = reports::FilledSlots(n);
  const QFont font = table.Font();
  const QColor color = table.TextColor();
  for (int slot = 0; slot < reports::kColumnSlots; ++slot) {
    for (platform::ReportLabel* label : {labels_[slot], labels_[slot + reports::kColumnSlots]}) {
      label->font = font;
      label->color = color;
      label->visible = slot < filled;
      if (label->visible)
        label->left = reports::SlotLeft(slot, ColumnStep);
    }
  }
}

std::vector<platform::ReportPage> TQuickReport11::LayOut() {
  return platform::LayOutReport(report_);
}

void TQuickReport11::Preview(QWidget* parent) {
  platform::ShowReportPreview(report_, parent);
}

void TQuickReport11::ReleaseTable() {
  table_ = nullptr;
}

void TQuickReport11::PrintTable(const reports::TableSource& table, bool separatorLines,
                                QWidget* parent) {
  PrepareTable(table, separatorLines);
  Preview(parent);
  // The table lives no longer than this command.
  ReleaseTable();
}

QString TQuickReport11::Cell(int column, int row) const {
  return table_ ? table_->CellText(column, row) : QString();
}

void TQuickReport11::QuickReport11BeforePrint(bool& PrintReport) {
  Q_UNUSED(PrintReport);
  PrintRow = 0;
}

void TQuickReport11::QuickReport11NeedData(bool& MoreData) {
  ++PrintRow;
  MoreData = table_ && PrintRow <= table_->RowCount() - 1;
}

void TQuickReport11::QRSubDetail1NeedData(bool& MoreData) {
  // The engine's preset decides: exactly one row band per table row.
  Q_UNUSED(MoreData);
}
