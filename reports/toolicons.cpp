#include "reports/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace reports {
namespace {

const char* ThemeName(ToolGlyph glyph) {
  switch (glyph) {
    case ToolGlyph::New:
      return "document-new";
    case ToolGlyph::Open:
      return "document-open";
    case ToolGlyph::Save:
      return "document-save";
    case ToolGlyph::Print:
      return "document-print";
    case ToolGlyph::Cut:
      return "edit-cut";
    case ToolGlyph::Copy:
      return "edit-copy";
    case ToolGlyph::Paste:
      return "edit-paste";
    case ToolGlyph::Undo:
      return "edit-undo";
    case ToolGlyph::Font:
      return "preferences-desktop-font";
    case ToolGlyph::Edit:
      return "accessories-text-editor";
    case ToolGlyph::Build:
      return "x-office-spreadsheet";
  }
  return "";
}

void Page(QPainter& p, const QRectF& r) {
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setPen(QPen(QColor(90, 90, 90), 1));
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5) {
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
  }
  p.setPen(QPen(Qt::black, 1));
}

// Draws the glyph on a 16 by 16 pixel grid.
void Draw(QPainter& p, ToolGlyph glyph) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  switch (glyph) {
    case ToolGlyph::New:
      Page(p, QRectF(3.5, 1.5, 9, 13));
      p.setBrush(QColor(255, 210, 0));
      p.drawEllipse(QPointF(12, 4), 2.5, 2.5);
      break;
    case ToolGlyph::Open: {
      p.setBrush(QColor(230, 190, 60));
      p.drawRect(QRectF(1.5, 4.5, 12, 9));
      QPainterPath lid;
      lid.moveTo(3.5, 7.5);
      lid.lineTo(15.5, 7.5);
      lid.lineTo(13.5, 13.5);
      lid.lineTo(1.5, 13.5);
      lid.closeSubpath();
      p.setBrush(QColor(250, 220, 100));
      p.drawPath(lid);
      break;
    }
    case ToolGlyph::Save:
      p.setBrush(QColor(40, 70, 160));
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(4.5, 9.5, 7, 5));
      break;
    case ToolGlyph::Print:
      Page(p, QRectF(4.5, 0.5, 7, 6));
      p.setBrush(QColor(160, 160, 160));
      p.drawRect(QRectF(1.5, 6.5, 13, 6));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 10.5, 7, 5));
      break;
    case ToolGlyph::Cut:
      p.drawLine(QPointF(4, 1), QPointF(11, 10));
      p.drawLine(QPointF(12, 1), QPointF(5, 10));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
      p.drawEllipse(QPointF(12, 12.5), 2.5, 2.5);
      break;
    case ToolGlyph::Copy:
      Page(p, QRectF(1.5, 1.5, 8, 10));
      Page(p, QRectF(6.5, 4.5, 8, 10));
      break;
    case ToolGlyph::Paste:
      p.setBrush(QColor(180, 130, 60));
      p.drawRect(QRectF(1.5, 2.5, 10, 12));
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(4.5, 1.5, 4, 3));
      Page(p, QRectF(7.5, 6.5, 7, 9));
      break;
    case ToolGlyph::Undo: {
      p.setPen(QPen(QColor(30, 90, 200), 2));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(3, 4, 10, 9), 90 * 16, -250 * 16);
      QPainterPath head;
      head.moveTo(1, 5);
      head.lineTo(7, 1.5);
      head.lineTo(7, 8.5);
      head.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(30, 90, 200));
      p.drawPath(head);
      break;
    }
    case ToolGlyph::Font: {
      QFont font(QStringLiteral("Serif"));
      font.setPixelSize(14);
      font.setBold(true);
      p.setFont(font);
      p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
      p.setPen(QPen(QColor(200, 30, 30), 2));
      p.drawLine(QPointF(2, 15), QPointF(14, 15));
      break;
    }
    case ToolGlyph::Edit:
      Page(p, QRectF(1.5, 1.5, 10, 13));
      p.setPen(QPen(QColor(200, 120, 0), 3));
      p.drawLine(QPointF(14, 3), QPointF(7, 11));
      break;
    case ToolGlyph::Build:
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.setBrush(QColor(120, 160, 220));
      p.drawRect(QRectF(1.5, 2.5, 13, 3));
      p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
      p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
      p.drawLine(QPointF(1.5, 9.5), QPointF(14.5, 9.5));
      break;
  }
}

QIcon DrawnIcon(ToolGlyph glyph) {
  QIcon icon;
  for (int scale : {1, 2}) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    Draw(painter, glyph);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon ToolIcon(ToolGlyph glyph) {
  return QIcon::fromTheme(QString::fromLatin1(ThemeName(glyph)), DrawnIcon(glyph));
}

}  // namespace reports
