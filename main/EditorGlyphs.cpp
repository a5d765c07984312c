#include "EditorGlyphs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tmf::editor {

namespace {

constexpr int kSize = 20;

// A disabled button shows the same picture in grey.
QPixmap Greyed(const QPixmap& pm) {
    QPixmap grey = pm;
    QPainter p(&grey);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(QRectF(QPointF(0, 0), grey.deviceIndependentSize()), QColor(0x80, 0x80, 0x80));
    p.end();
    return grey;
}

}  // namespace

QPixmap HiDpiCanvas(const QSize& size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon Glyph(const std::function<void(QPainter&)>& paint, bool withDisabled) {
    QIcon icon;
    // One picture per pixel density, so that the glyph is drawn, not
    // stretched, on a screen with two device pixels per point.
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pm(QSize(kSize, kSize) * ratio);
        pm.setDevicePixelRatio(ratio);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
        p.end();
        icon.addPixmap(pm);
        if (withDisabled) icon.addPixmap(Greyed(pm), QIcon::Disabled);
    }
    return icon;
}

QIcon TakeOverGlyph() {
    return Glyph([](QPainter& p) {
        p.setPen(QPen(QColor(0, 128, 0), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(3, 11);
        tick.lineTo(8, 16);
        tick.lineTo(17, 4);
        p.drawPath(tick);
    });
}

QIcon DeleteGlyph() {
    return Glyph([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(5, 6, 10, 12));
        p.drawRect(QRectF(3, 3.5, 14, 2.5));
        p.drawRect(QRectF(8, 1.5, 4, 2));
        for (double x : {7.5, 10.0, 12.5}) p.drawLine(QPointF(x, 8), QPointF(x, 16));
    });
}

QIcon CancelGlyph() {
    return Glyph([](QPainter& p) {
        p.setPen(QPen(QColor(200, 0, 0), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(16, 16));
        p.drawLine(QPointF(16, 4), QPointF(4, 16));
    });
}

}  // namespace tmf::editor
