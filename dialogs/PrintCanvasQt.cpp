#include "PrintCanvasQt.h"

#include <QFontMetrics>
#include <QPrinter>
#include <cmath>

namespace tmf::qt {

QtPrintCanvas::QtPrintCanvas(QPrinter& printer, const QFont& font) : printer_(printer), font_(font) {
    // A point size becomes pixels of the 300 dpi page; the painter scales
    // those to the printer, so text and positions scale together.
    double points = font.pointSizeF();
    if (points <= 0) points = font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : 10.0;
    font_.setPixelSize(static_cast<int>(std::lround(points * kDotsPerInch / 72.0)));
}

bool QtPrintCanvas::BeginDoc() {
    if (!painter_.begin(&printer_)) return false;
    const double scale = static_cast<double>(printer_.resolution()) / kDotsPerInch;
    painter_.scale(scale, scale);
    painter_.setFont(font_);
    painter_.setPen(Qt::black);
    pages_ = 1;
    return true;
}

void QtPrintCanvas::TextOut(int x, int y, const std::string& text) {
    if (!painter_.isActive()) return;
    const QFontMetrics fm(font_);
    painter_.drawText(QPoint(x, y + fm.ascent()), QString::fromStdString(text));
}

int QtPrintCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(font_).horizontalAdvance(QString::fromStdString(text));
}

int QtPrintCanvas::TextHeight(const std::string&) {
    return QFontMetrics(font_).height();
}

void QtPrintCanvas::NewPage() {
    if (painter_.isActive() && printer_.newPage()) ++pages_;
}

void QtPrintCanvas::EndDoc() {
    if (painter_.isActive()) painter_.end();
}

}  // namespace tmf::qt
