#include "Logo.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tmf::logo {

namespace {

// The shapes in logo coordinates, shared by the painter and the SVG text.
const QRectF kSheet(24, 22, 74, 72);
constexpr double kSheetRadius = 6;
const QRectF kHead(24, 22, 74, 20);
const QRectF kHeadFoot(24, 32, 74, 10);  // squares the head's lower corners
constexpr int kRings[] = {38, 60, 82};
const QRectF kText(24, 42, 74, 50);
constexpr int kTextPoints = 26;
// Height of the digits in the font's size, to set the SVG text's baseline
// where the painter's vertical centring puts it.
constexpr double kDigitHeight = 0.716;
const QColor kFrame(60, 60, 60), kRed(200, 30, 40), kRing(90, 90, 90), kInk(30, 30, 120), kHeart(220, 40, 80);
const QColor kSkyTop(255, 248, 220), kSkyBottom(250, 214, 140);

QPainterPath HeartPath() {
    QPainterPath heart;
    heart.moveTo(100, 100);
    heart.cubicTo(88, 90, 92, 80, 100, 86);
    heart.cubicTo(108, 80, 112, 90, 100, 100);
    return heart;
}

QString Num(double v) { return QString::number(v, 'g', 6); }

QString Rgb(const QColor& c) { return c.name(QColor::HexRgb); }

}  // namespace

void Paint(QPainter& p, const QRectF& area, const QRectF& target, bool background) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(target.topLeft());
    p.scale(target.width() / area.width(), target.height() / area.height());
    p.translate(-area.topLeft());
    if (background) {
        QLinearGradient sky(0, 0, 0, kHeight);
        sky.setColorAt(0, kSkyTop);
        sky.setColorAt(1, kSkyBottom);
        p.fillRect(QRectF(0, 0, kWidth, kHeight), sky);
    }
    p.setPen(QPen(kFrame, 1.2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(kSheet, kSheetRadius, kSheetRadius);
    QPainterPath head;
    head.setFillRule(Qt::WindingFill);  // the overlap stays red
    head.addRoundedRect(kHead, kSheetRadius, kSheetRadius);
    head.addRect(kHeadFoot);
    p.fillPath(head, kRed);
    p.setBrush(kRing);
    for (int x : kRings) p.drawRoundedRect(QRectF(x - 3, 16, 6, 12), 3, 3);
    // Pixel size from the points at 96 dpi, so that the text scales with the
    // painter whatever the paint device's resolution.
    QFont big("Liberation Sans");
    big.setPixelSize(kTextPoints * 96 / 72);
    big.setBold(true);
    p.setFont(big);
    p.setPen(kInk);
    p.drawText(kText, Qt::AlignCenter, "98");
    p.setPen(Qt::NoPen);
    p.setBrush(kHeart);
    p.drawPath(HeartPath());
    p.restore();
}

QImage IconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Paint(p, kIconArea, QRectF(0, 0, size, size), false);
    return image;
}

QString IconSvg() {
    const QRectF a = kIconArea;
    QString s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += QString("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"%1 %2 %3 %4\">\n")
             .arg(Num(a.x()), Num(a.y()), Num(a.width()), Num(a.height()));
    s += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"#ffffff\" stroke=\"%6\" "
                 "stroke-width=\"1.2\"/>\n")
             .arg(Num(kSheet.x()), Num(kSheet.y()), Num(kSheet.width()), Num(kSheet.height()), Num(kSheetRadius),
                  Rgb(kFrame));
    s += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
             .arg(Num(kHead.x()), Num(kHead.y()), Num(kHead.width()), Num(kHead.height()), Num(kSheetRadius),
                  Rgb(kRed));
    s += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
             .arg(Num(kHeadFoot.x()), Num(kHeadFoot.y()), Num(kHeadFoot.width()), Num(kHeadFoot.height()),
                  Rgb(kRed));
    for (int x : kRings)
        s += QString("  <rect x=\"%1\" y=\"16\" width=\"6\" height=\"12\" rx=\"3\" fill=\"%2\" stroke=\"%3\" "
                     "stroke-width=\"1.2\"/>\n")
                 .arg(Num(x - 3), Rgb(kRing), Rgb(kFrame));
    s += QString("  <text x=\"%1\" y=\"%2\" text-anchor=\"middle\" "
                 "font-family=\"Liberation Sans, Arial, sans-serif\" font-weight=\"bold\" font-size=\"%3\" "
                 "fill=\"%4\">98</text>\n")
             .arg(Num(kText.center().x()), Num(kText.center().y() + kDigitHeight * kTextPoints * 96.0 / 72.0 / 2),
                  Num(kTextPoints * 96.0 / 72.0), Rgb(kInk));
    s += QString("  <path d=\"M100 100 C88 90 92 80 100 86 C108 80 112 90 100 100 Z\" fill=\"%1\"/>\n").arg(Rgb(kHeart));
    s += "</svg>\n";
    return s;
}

QIcon WindowIcon() {
    QIcon drawn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) drawn.addPixmap(QPixmap::fromImage(IconImage(size)));
    return QIcon::fromTheme("termifolio98", drawn);
}

QPixmap SplashPixmap(qreal ratio) {
    const QSize logical(static_cast<int>(kWidth), static_cast<int>(kHeight));
    QPixmap pm(logical * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    Paint(p, QRectF(0, 0, kWidth, kHeight), QRectF(0, 0, kWidth, kHeight), true);
    return pm;
}

}  // namespace tmf::logo
