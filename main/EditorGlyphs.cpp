#include "EditorGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tmf::editor {

namespace {

constexpr int kSize = 20;

QPixmap Canvas() {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    return pm;
}

// A disabled button shows the same picture in grey.
QIcon WithDisabled(const QPixmap& pm) {
    QIcon icon(pm);
    QPixmap grey = pm;
    QPainter p(&grey);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(grey.rect(), QColor(0x80, 0x80, 0x80));
    p.end();
    icon.addPixmap(grey, QIcon::Disabled);
    return icon;
}

}  // namespace

QIcon TakeOverGlyph() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 11);
    tick.lineTo(8, 16);
    tick.lineTo(17, 4);
    p.drawPath(tick);
    p.end();
    return WithDisabled(pm);
}

QIcon DeleteGlyph() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(5, 6, 10, 12));
    p.drawRect(QRectF(3, 3.5, 14, 2.5));
    p.drawRect(QRectF(8, 1.5, 4, 2));
    for (double x : {7.5, 10.0, 12.5}) p.drawLine(QPointF(x, 8), QPointF(x, 16));
    p.end();
    return WithDisabled(pm);
}

QIcon CancelGlyph() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(16, 16));
    p.drawLine(QPointF(16, 4), QPointF(4, 16));
    p.end();
    return WithDisabled(pm);
}

}  // namespace tmf::editor
