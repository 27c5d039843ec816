#include "reports/compacttabs.h"

#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

namespace reports {
namespace {

// Space left and right of a tab's caption, together.
constexpr int kTabMargin = 10;

class CompactTabStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace)
      return kTabMargin;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

void UseCompactTabs(QTabWidget& notebook) {
  QTabBar* bar = notebook.tabBar();
  auto* style = new CompactTabStyle;
  // The bar does not own its style; the style goes with the bar.
  style->setParent(bar);
  bar->setStyle(style);
}

}  // namespace reports
