#include "platform/designfont.h"

#include <QFontInfo>
#include <QStringList>
#include <cmath>

namespace platform {

QFont DesignFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

QFont DesignFontPoints(int pointSize, bool bold) {
  return DesignFont(int(std::lround(pointSize * 96.0 / 72.0)), bold);
}

QString DesignFontFamily() {
  return QFontInfo(DesignFont(11)).family();
}

}  // namespace platform
