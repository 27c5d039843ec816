#include "platform/reportengine.h"

#include <unordered_map>
#include <utility>

namespace platform {

qreal MmToLayoutPx(qreal mm) {
  return mm * kLayoutDpi / 25.4;
}

qreal LayoutPxToMm(qreal px) {
  return px * 25.4 / kLayoutDpi;
}

ReportLabel::ReportLabel(QString name, ReportItemKind kind, QString caption)
    : name(std::move(name)), kind(kind), caption(std::move(caption)) {}

ReportBand::ReportBand(QString name, BandKind kind, qreal height)
    : name(std::move(name)), kind(kind), height(height) {}

ReportLabel& ReportBand::AddLabel(const QString& name, const QString& caption,
                                  ReportItemKind kind) {
  labels_.push_back(std::make_unique<ReportLabel>(name, kind, caption));
  return *labels_.back();
}

QPageLayout ReportPageSettings::PageLayout() const {
  return QPageLayout(QPageSize(paper), orientation, marginsMm, QPageLayout::Millimeter);
}

QSizeF ReportPageSettings::PrintableSizePx() const {
  const QRectF paint = PageLayout().paintRect(QPageLayout::Millimeter);
  return QSizeF(MmToLayoutPx(paint.width()), MmToLayoutPx(paint.height()));
}

Report::Report(QString name) : name(std::move(name)) {}

ReportBand& Report::AddBand(const QString& name, BandKind kind, qreal height) {
  bands_.push_back(std::make_unique<ReportBand>(name, kind, height));
  return *bands_.back();
}

namespace {

// Walks the report once and collects its pages. The page is opened lazily, when the first band
// that belongs on it arrives, so a report without rows yields no page unless it prints empty.
class Layouter {
 public:
  Layouter(Report& report, const QSizeF& size) : report_(report), size_(size) {}

  std::vector<ReportPage> Run() {
    bool printReport = true;
    if (report_.onBeforePrint)
      report_.onBeforePrint(printReport);
    if (!printReport)
      return {};
    // Read the bands only now: BeforePrint may still change them.
    Prepare();

    bool firstQuestion = true;
    for (;;) {
      bool moreData = firstQuestion;
      firstQuestion = false;
      if (report_.onNeedData)
        report_.onNeedData(moreData);
      if (!moreData)
        break;
      for (ReportBand* band : details_)
        PrintDetailBand(*band);
    }
    if (pages_.empty() && report_.printIfEmpty)
      StartPage();
    if (!pages_.empty())
      FinishPage();
    return std::move(pages_);
  }

 private:
  void Prepare() {
    qreal footerHeight = 0;
    for (const auto& band : report_.Bands()) {
      switch (band->kind) {
        case BandKind::ColumnHeader:
          headers_.push_back(band.get());
          break;
        case BandKind::Detail:
        case BandKind::SubDetail:
          details_.push_back(band.get());
          break;
        case BandKind::PageFooter:
          footers_.push_back(band.get());
          footerHeight += band->height;
          break;
      }
    }
    footerTop_ = size_.height() - footerHeight;

    // A label's look and left edge stay the same for the whole run; its texts refer to it by
    // index. The labels of a band have consecutive styles, starting at the band's first style.
    auto styles = std::make_shared<std::vector<TextStyle>>();
    for (const auto& band : report_.Bands()) {
      firstStyle_.emplace(band.get(), int(styles->size()));
      for (const auto& label : band->Labels()) {
        styles->push_back(TextStyle{label.get(), label->left, label->height, label->font,
                                    label->color, label->background});
      }
    }
    styles_ = std::move(styles);
  }

  void PrintDetailBand(ReportBand& band) {
    if (band.kind == BandKind::Detail) {
      PlaceDetail(band);
      return;
    }
    // A sub-detail prints while its own handler says so: asked first with yes preset, then
    // after each band it printed with no preset.
    bool moreData = true;
    if (band.onNeedData)
      band.onNeedData(moreData);
    while (moreData) {
      PlaceDetail(band);
      moreData = false;
      if (band.onNeedData)
        band.onNeedData(moreData);
    }
  }

  void PlaceDetail(ReportBand& band) {
    if (pages_.empty()) {
      StartPage();
    } else if (y_ + band.height > footerTop_ && y_ > bodyTop_) {
      // A band that fits on no page at all still goes onto a fresh one rather than looping.
      FinishPage();
      StartPage();
    }
    PlaceBand(band, y_);
    y_ += band.height;
  }

  void StartPage() {
    const size_t expectedTexts = pages_.empty() ? 0 : pages_.back().texts.size();
    pages_.emplace_back();
    ReportPage& page = pages_.back();
    page.number = static_cast<int>(pages_.size());
    page.styles = styles_;
    page.texts.reserve(expectedTexts);
    y_ = 0;
    for (ReportBand* band : headers_) {
      PlaceBand(*band, y_);
      y_ += band->height;
    }
    bodyTop_ = y_;
  }

  void FinishPage() {
    qreal top = footerTop_;
    for (ReportBand* band : footers_) {
      PlaceBand(*band, top);
      top += band->height;
    }
  }

  void PlaceBand(const ReportBand& band, qreal top) {
    ReportPage& page = pages_.back();
    int style = firstStyle_.at(&band);
    for (const auto& label : band.Labels()) {
      const int labelStyle = style++;
      if (!label->visible)
        continue;
      QString value =
          label->kind == ReportItemKind::PageNumber ? QString::number(page.number) : label->caption;
      if (label->onPrint)
        label->onPrint(*label, value);
      page.texts.push_back(PlacedText{std::move(value), float(top + label->top), labelStyle});
    }
    if (band.frame.drawBottom) {
      const qreal bottom = top + band.height;
      page.lines.push_back(
          PlacedLine{QLineF(0, bottom, size_.width(), bottom), band.frame.style, band.frame.color});
    }
  }

  Report& report_;
  QSizeF size_;
  std::vector<ReportBand*> headers_;
  std::vector<ReportBand*> details_;
  std::vector<ReportBand*> footers_;
  qreal footerTop_ = 0;
  qreal bodyTop_ = 0;
  qreal y_ = 0;
  std::unordered_map<const ReportBand*, int> firstStyle_;
  std::shared_ptr<const std::vector<TextStyle>> styles_;
  std::vector<ReportPage> pages_;
};

}  // namespace

std::vector<ReportPage> LayOutReport(Report& report) {
  return LayOutReport(report, report.page.PrintableSizePx());
}

std::vector<ReportPage> LayOutReport(Report& report, const QSizeF& printableSizePx) {
  return Layouter(report, printableSizePx).Run();
}

}  // namespace platform
