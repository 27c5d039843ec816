#include "platform/reportengine.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>
#include <array>
#include <cmath>
#include <optional>
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

// Texts are measured at the layout's own 96 dpi, whatever screen the program runs on.
const QPaintDevice* LayoutDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_ARGB32);
    const int dotsPerMeter = qRound(kLayoutDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
  }();
  return &device;
}

// Breaks text into lines no wider than width, at word boundaries where a word fits and anywhere
// else; returns the lines joined by "\n" and their count.
std::pair<QString, int> WrapText(const QString& text, const QFont& font, qreal width) {
  QTextLayout layout(text, font, const_cast<QPaintDevice*>(LayoutDevice()));
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    QString piece = text.mid(line.textStart(), line.textLength());
    while (piece.size() > 1 && piece.back().isSpace())
      piece.chop(1);
    lines.append(piece);
  }
  layout.endLayout();
  return {lines.join(QChar('\n')), int(lines.size())};
}

// A wrapping label's font at the layout's resolution, with the advances of the characters
// addresses are mostly written in, so that most texts are known to fit without shaping them.
struct WrapMetrics {
  explicit WrapMetrics(const QFont& font) : metrics(font, LayoutDevice()) {
    for (size_t c = 0; c < advances.size(); ++c)
      advances[c] = metrics.horizontalAdvance(QChar(char16_t(c)));
  }

  // True when text is plainly narrower than room: the sum of its characters' advances, with a
  // tenth to spare for shaping, fits. False means it has to be measured.
  bool SurelyFits(const QString& text, qreal room) const {
    qreal sum = 0;
    for (const QChar c : text) {
      if (c.unicode() >= advances.size())
        return false;
      sum += advances[c.unicode()];
    }
    return sum * 1.1 <= room;
  }

  QFontMetricsF metrics;
  std::array<qreal, 0x180> advances{};  // Latin-1 and Latin Extended-A
};

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
  // The texts of one band, their tops relative to the band, and the band's height.
  struct BandTexts {
    std::vector<PlacedText> texts;
    qreal height = 0;
    bool hasPageNumber = false;
  };

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
    metrics_.clear();
    for (const TextStyle& style : *styles_) {
      if (style.source->wordWrap) {
        metrics_.emplace_back(std::in_place, style.font);
      } else {
        metrics_.emplace_back();
      }
    }
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
    if (pages_.empty())
      StartPage();
    // The band's texts decide its height, and so whether it still fits on this page.
    BandTexts texts = Produce(band);
    if (y_ + texts.height > footerTop_ && y_ > bodyTop_) {
      // A band that fits on no page at all still goes onto a fresh one rather than looping.
      FinishPage();
      StartPage();
      if (texts.hasPageNumber)
        texts = Produce(band);
    }
    // A band grown taller than a page by its lines goes on over as many pages as it needs: the
    // lines that would reach into the page footer continue at the top of the next page.
    while (y_ + texts.height > footerTop_) {
      BandTexts rest = SplitOff(band, texts, footerTop_ - y_);
      if (rest.texts.empty())
        break;
      texts.height = footerTop_ - y_;
      Put(band, std::move(texts), y_, /*frame=*/false);
      FinishPage();
      StartPage();
      texts = std::move(rest);
    }
    Put(band, std::move(texts), y_);
  }

  // Keeps in texts the lines that end within room below the band's top and returns the lines
  // after them, as texts of a band of their own. At least the first line of every text stays, so
  // each page takes some of them.
  BandTexts SplitOff(const ReportBand& band, BandTexts& texts, qreal room) {
    BandTexts rest;
    rest.height = band.height;
    for (PlacedText& text : texts.texts) {
      const std::optional<WrapMetrics>& wrap = metrics_[text.style];
      if (!wrap || !text.text.contains(QChar('\n')))
        continue;
      const qreal lineHeight = wrap->metrics.lineSpacing();
      QStringList lines = text.text.split(QChar('\n'));
      const qsizetype keep =
          std::max<qsizetype>(1, qsizetype(std::floor((room - text.top) / lineHeight)));
      if (keep >= lines.size())
        continue;
      const ReportLabel& label = *(*styles_)[text.style].source;
      const QStringList moved = lines.mid(keep);
      lines.resize(keep);
      text.text = lines.join(QChar('\n'));
      rest.texts.push_back(PlacedText{moved.join(QChar('\n')), float(label.top), text.style});
      const qreal beyond = moved.size() * lineHeight - label.height;
      if (beyond > 0)
        rest.height = std::max(rest.height, std::ceil(band.height + beyond));
    }
    return rest;
  }

  void StartPage() {
    const size_t expectedTexts = pages_.empty() ? 0 : pages_.back().texts.size();
    pages_.emplace_back();
    ReportPage& page = pages_.back();
    page.number = static_cast<int>(pages_.size());
    page.styles = styles_;
    page.texts.reserve(expectedTexts);
    y_ = 0;
    for (ReportBand* band : headers_)
      Put(*band, Produce(*band), y_);
    bodyTop_ = y_;
  }

  void FinishPage() {
    qreal top = footerTop_;
    for (ReportBand* band : footers_)
      Put(*band, Produce(*band), top);
  }

  // Asks every visible label of the band for its text, just before it is placed on the current
  // page, and wraps the texts that would run past the band's right edge.
  BandTexts Produce(const ReportBand& band) {
    BandTexts result;
    result.height = band.height;
    const int pageNumber = pages_.back().number;
    int style = firstStyle_.at(&band);
    for (const auto& label : band.Labels()) {
      const int labelStyle = style++;
      if (!label->visible)
        continue;
      const bool pageNumberItem = label->kind == ReportItemKind::PageNumber;
      result.hasPageNumber = result.hasPageNumber || pageNumberItem;
      QString value = pageNumberItem ? QString::number(pageNumber) : label->caption;
      if (label->onPrint)
        label->onPrint(*label, value);
      if (const std::optional<WrapMetrics>& wrap = metrics_[labelStyle]) {
        const QFontMetricsF& metrics = wrap->metrics;
        const qreal room = size_.width() - label->left;
        int lines = 1;
        // Most texts are far shorter than their room; those are not shaped at all.
        if (room > 0 && !wrap->SurelyFits(value, room) && metrics.horizontalAdvance(value) > room) {
          auto [wrapped, count] = WrapText(value, label->font, room);
          value = std::move(wrapped);
          lines = count;
        }
        // Lines taller than the label's box (more than one, or a large font) make the band grow
        // by what they need beyond it, so they neither reach into the next band nor over the
        // line under their own.
        const qreal beyond = lines * metrics.lineSpacing() - label->height;
        if (beyond > 0)
          result.height = std::max(result.height, std::ceil(band.height + beyond));
      }
      result.texts.push_back(PlacedText{std::move(value), float(label->top), labelStyle});
    }
    return result;
  }

  // Puts the band's texts onto the current page with the band's top at top and advances top
  // below the band; the frame line is left out for a band that goes on on the next page.
  void Put(const ReportBand& band, BandTexts&& texts, qreal& top, bool frame = true) {
    ReportPage& page = pages_.back();
    for (PlacedText& text : texts.texts) {
      text.top = float(top + text.top);
      page.texts.push_back(std::move(text));
    }
    if (frame && band.frame.drawBottom) {
      const qreal bottom = top + texts.height;
      page.lines.push_back(
          PlacedLine{QLineF(0, bottom, size_.width(), bottom), band.frame.style, band.frame.color});
    }
    top += texts.height;
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
  // Per style: the metrics of a wrapping label's font at the layout's resolution.
  std::vector<std::optional<WrapMetrics>> metrics_;
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
