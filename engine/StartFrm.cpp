#include "StartFrm.h"

#include <QCloseEvent>
#include <QPainter>

#include "Funky.h"
#include "Logo.h"
#include "Startup.h"
#include "State.h"
#include "ui_StartFrm.h"

using namespace tmf;

TStartF::TStartF(QWidget* parent) : QDialog(parent), ui(new Ui::TStartF), Timer1(new QTimer(this)) {
    ui->setupUi(this);
    setObjectName("StartF");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(120, 155);
    ui->BitBtn1->setVisible(false);
    ui->Prozent->setTextVisible(false);
    ui->Prozent->setStyleSheet("QProgressBar { border: none; background: #d4d0c8; }"
                               "QProgressBar::chunk { background: #000080; }");
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TStartF::Timer1Timer);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TStartF::BitBtn1Click);
}

TStartF::~TStartF() {
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    delete ui;
}

void TStartF::FormCreate() { InitProgram(); }

void TStartF::SetFileCaption(const std::string& text) { ui->Panel1->setText(QString::fromStdString(text)); }
void TStartF::SetProgressText(const std::string& text) { ui->ProzentText->setText(QString::fromStdString(text)); }
void TStartF::SetProgressValue(int percent) { ui->Prozent->setValue(percent); }

void TStartF::ShowModal() {
    mayClose_ = false;
    exec();
}

void TStartF::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    // The decision runs once the window is on the screen; activation events
    // are not reliable on every platform, a queued call is.
    if (!activated_) QTimer::singleShot(0, this, &TStartF::FormActivate);
}

void TStartF::FormShow() {
    const WindowPos p = PlaceWindow(width(), height(), static_cast<int>(SettingValue(WindowOffsetX)),
                                    static_cast<int>(SettingValue(WindowOffsetY)));
    move(p.left, p.top);
    QPixmap logo = DrawLogo();
    QPainter painter(&logo);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(QRectF(2, 2, logo.deviceIndependentSize().width() - 2, 14), Qt::AlignLeft | Qt::AlignTop,
                     "Version " + QString::fromStdString(VersionText.substr(0, 4)));
    painter.end();
    ui->Image1->setPixmap(logo);
}

void TStartF::FormActivate() {
    if (activated_) return;
    activated_ = true;
    if (!StartupDecision()) {
        // The current file could not be loaded: the program ends here.
        mayClose_ = true;
        done(QDialog::Rejected);
        return;
    }
    Timer1->start();
    if (SettingOn(CheckInBackground)) {
        ui->BitBtn1->setText("für Start noch " + QString::number(CountdownLimit() - countdown_));
        ui->BitBtn1->setVisible(true);
        ui->BitBtn1->setFocus();
    } else {
        Timer1->setInterval(1);
    }
}

void TStartF::Timer1Timer() {
    ++countdown_;
    ui->BitBtn1->setText("für Start noch " + QString::number(CountdownLimit() - countdown_));
    if (countdown_ != CountdownLimit()) return;
    ui->BitBtn1->setText("B y e");
    ui->BitBtn1->repaint();
    WaitSeconds(1, 0.5);
    Timer1->stop();
    if (Timer1->interval() == 1) {
        mayClose_ = true;
        accept();
        return;
    }
    MainView* main = TheViews().main;
    if (main && main->EndProgram()) return;
    // The user cancelled the exit: go on into the program as if the
    // countdown had been stopped.
    BitBtn1Click();
}

void TStartF::BitBtn1Click() {
    ui->BitBtn1->setVisible(false);
    Timer1->stop();
    mayClose_ = true;
    accept();
}

void TStartF::reject() {
    // Esc stops the countdown like the button; before it, nothing closes the
    // splash while the start-up check runs.
    if (ui->BitBtn1->isVisible()) BitBtn1Click();
}

void TStartF::closeEvent(QCloseEvent* event) {
    if (mayClose_ || ProgramEnding()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    reject();
}

QPixmap TStartF::DrawLogo() const {
    // Drawn at the screen's pixel density, so it stays sharp when scaled.
    return tmf::logo::SplashPixmap(devicePixelRatioF());
}
