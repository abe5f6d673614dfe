#include "ui/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vlm::ui {

namespace {

// Draws on a 256 x 256 canvas scaled to `size`: a blue tile with a staff and
// two beamed notes.
QPixmap Draw(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);
  QLinearGradient background(0, 12, 0, 244);
  background.setColorAt(0, QColor(0x3b, 0x6f, 0xb6));
  background.setColorAt(1, QColor(0x1d, 0x3f, 0x73));
  p.setPen(Qt::NoPen);
  p.setBrush(background);
  p.drawRoundedRect(QRectF(12, 12, 232, 232), 40, 40);
  p.setPen(QPen(QColor(255, 255, 255, 90), 4));
  for (int y = 88; y <= 200; y += 28) p.drawLine(36, y, 220, y);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0xd2, 0x3f));
  for (const QPointF head : {QPointF(78, 186), QPointF(168, 158)}) {
    p.save();
    p.translate(head);
    p.rotate(-20);
    p.drawEllipse(QRectF(-22, -16, 44, 32));
    p.restore();
  }
  p.drawRect(QRectF(94, 64, 9, 122));
  p.drawRect(QRectF(184, 40, 9, 118));
  QPainterPath beam;
  beam.moveTo(94, 64);
  beam.lineTo(193, 40);
  beam.lineTo(193, 66);
  beam.lineTo(94, 90);
  beam.closeSubpath();
  p.drawPath(beam);
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256}) icon.addPixmap(Draw(size));
  return icon;
}

}  // namespace vlm::ui
