#include "Wukform.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>
#include <cmath>

#include "EditorGlyphs.h"
#include "Funky.h"
#include "Ports.h"
#include "TitleBarHints.h"
#include "ui_Wukform.h"

using namespace tmf;

TWukfrm::TWukfrm(QWidget* parent) : QDialog(parent), ui(new Ui::TWukfrm), Timer1(new QTimer(this)) {
    ui->setupUi(this);
    setObjectName("Wukfrm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(190, 279);
    setWindowIcon(DrawIcon());

    const QString red = "QGroupBox { color: #ff0000; }";
    for (QWidget* box : {ui->GroupBox1, ui->GroupBox2, ui->GroupBox5, ui->GroupBox3}) box->setStyleSheet(red);
    ui->GroupBox4->setStyleSheet("QGroupBox { color: #000080; }");
    QFont bold = font();
    bold.setBold(true);
    for (QLabel* label : {ui->Label1, ui->Label3, ui->Label4, ui->Label5, ui->Label6, ui->Label7, ui->Label8})
        label->setFont(bold);
    ui->Label1->setStyleSheet("QLabel { color: #0000ff; }");
    QFont link = bold;
    link.setUnderline(true);
    ui->Label8->setFont(link);
    ui->Label8->setStyleSheet("QLabel { color: #0000ff; }");
    for (QLabel* label : {ui->Label7, ui->Label8}) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }

    frames_ = DrawFrames();
    canvas_ = tmf::editor::HiDpiCanvas(QSize(32, 32));
    ui->Image1->setPixmap(canvas_);

    Timer1->setObjectName("Timer1");
    Timer1->setInterval(150);
    connect(Timer1, &QTimer::timeout, this, &TWukfrm::Timer1Timer);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TWukfrm::BitBtn1Click);
    FormCreate();
}

TWukfrm::~TWukfrm() {
    delete ui;
}

void TWukfrm::FormCreate() {
    frame_ = 0;
}

void TWukfrm::showEvent(QShowEvent* event) {
    tmf::qt::AskForTitleAndBorderOnly(*this);
    FormShow();
    QDialog::showEvent(event);
    // Activation is not reported on every platform; showing is.
    FormActivate();
}

void TWukfrm::FormShow() {
    const WindowPos p = PlaceWindow(width(), height(), 0, 0);
    move(p.left, p.top);
}

void TWukfrm::FormActivate() {
    Timer1->start();
}

void TWukfrm::Timer1Timer() {
    QPainter p(&canvas_);
    p.drawPixmap(0, 0, frames_[frame_]);
    p.end();
    lastDrawn_ = frame_;
    frame_ = static_cast<std::uint8_t>(frame_ < kFrames - 1 ? frame_ + 1 : 0);
    ui->Image1->setPixmap(canvas_);
}

void TWukfrm::BitBtn1Click() {
    Timer1->stop();
    done(QDialog::Accepted);
}

void TWukfrm::reject() {
    BitBtn1Click();
}

void TWukfrm::hideEvent(QHideEvent* event) {
    // However the box went away, the clock does not tick on unseen.
    Timer1->stop();
    QDialog::hideEvent(event);
}

namespace {

// Without a mail program or browser set up the click would do nothing at all.
void OpenAddress(const QLabel* label) {
    const std::string address = label->text().toStdString();
    if (!ThePlatform().shell->Open(address, ""))
        ShowMessage(address + " konnte nicht geöffnet werden.\r\n"
                              "Es ist kein Programm eingerichtet, das diese Adresse öffnen kann.");
}

}  // namespace

void TWukfrm::Label7Click() { OpenAddress(ui->Label7); }
void TWukfrm::Label8Click() { OpenAddress(ui->Label8); }

bool TWukfrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Label7) Label7Click();
        if (watched == ui->Label8) Label8Click();
    }
    return QDialog::eventFilter(watched, event);
}

namespace {

// An alarm clock: two bells, a round face, and one hand that goes round
// once in a cycle. The face is opaque, so a frame drawn over the last one
// leaves nothing of it behind.
void DrawClock(QPainter& p, double handDegrees) {
    p.setRenderHint(QPainter::Antialiasing);
    const QColor metal(200, 30, 30);
    p.setPen(QPen(QColor(60, 0, 0), 1));
    p.setBrush(metal);
    p.drawPie(QRectF(2, 1, 11, 11), 16 * 20, 16 * 160);
    p.drawPie(QRectF(19, 1, 11, 11), 16 * 20, 16 * 160);
    p.setPen(QPen(QColor(60, 0, 0), 2));
    p.drawLine(QPointF(9, 27), QPointF(6, 31));
    p.drawLine(QPointF(23, 27), QPointF(26, 31));
    p.setPen(QPen(QColor(60, 0, 0), 1));
    p.drawEllipse(QRectF(4, 5, 24, 24));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7, 8, 18, 18));
    p.setPen(QPen(Qt::black, 1));
    const QPointF c(16, 17);
    for (int h = 0; h < 12; h += 3) {
        const double a = qDegreesToRadians(h * 30.0);
        p.drawPoint(c + QPointF(7 * std::sin(a), -7 * std::cos(a)));
    }
    const double a = qDegreesToRadians(handDegrees);
    p.setPen(QPen(QColor(0, 0, 128), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(6.5 * std::sin(a), -6.5 * std::cos(a)));
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -4.5));
    p.setBrush(Qt::black);
    p.drawEllipse(c, 1.2, 1.2);
}

}  // namespace

std::array<QPixmap, TWukfrm::kFrames> TWukfrm::DrawFrames() {
    std::array<QPixmap, kFrames> frames;
    for (int i = 0; i < kFrames; ++i) {
        QPixmap pm = tmf::editor::HiDpiCanvas(QSize(32, 32));
        QPainter p(&pm);
        DrawClock(p, i * 360.0 / kFrames);
        frames[static_cast<std::size_t>(i)] = pm;
    }
    return frames;
}

QPixmap TWukfrm::DrawIcon() {
    QPixmap pm = tmf::editor::HiDpiCanvas(QSize(32, 32));
    QPainter p(&pm);
    DrawClock(p, 60);
    return pm;
}
