#include "PrufungFrm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "EditorGlyphs.h"
#include "CheckResults.h"
#include "Dates.h"
#include "Grid.h"
#include "Ports.h"
#include "State.h"
#include "ui_PrufungFrm.h"

using namespace tmf;

namespace {
int ResultCount() { return static_cast<int>(CheckResults(0, 0).asInteger()); }
}  // namespace

TPrufungF::TPrufungF(QWidget* parent) : QDialog(parent), ui(new Ui::TPrufungF) {
    ui->setupUi(this);
    setObjectName("PrufungF");
    setFixedSize(604, 185);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    QFont arial("Liberation Sans", 9);
    setFont(arial);
    setStyleSheet("QDialog#PrufungF { background: #2f4f6f; }");
    const QString heading = "QLabel { color: #0000ff; font-weight: bold; background: #d4d0c8; }";
    ui->Panel2->setStyleSheet(heading);
    ui->Panel3->setStyleSheet(heading);
    ui->Panel4->setStyleSheet("QFrame#Panel4 { background: #d4d0c8; }");
    ui->Panel1->setStyleSheet("QLabel { color: white; }");
    ui->Label1->setStyleSheet("QLabel { color: white; }");
    icons_ = DrawIcons();
    ui->Aus->installEventFilter(this);
    connect(ui->ScrollBar1, &QScrollBar::valueChanged, this, &TPrufungF::ScrollBar1Change);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TPrufungF::BitBtn1Click);
}

TPrufungF::~TPrufungF() {
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    delete ui;
}

void TPrufungF::ShowModal() { exec(); }

void TPrufungF::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TPrufungF::FormShow() {
    SortCheckResults();
    MainView* main = TheViews().main;
    if (main) {
        const WindowRect m = main->Geometry();
        const WindowRect r = PlaceBesideMain(width(), height(), (m.width - width()) / 2, (m.height - height()) / 2 - 5);
        move(r.left, r.top);
    }
    const TimeOfDay now = ThePlatform().clock->Now();
    setWindowTitle(QString::fromStdString(CheckResults(4, 0).asText() + " - Prüfung am " + FormatDate(Today()) + " um ") +
                   QString("%1:%2").arg(now.hour, 2, 10, QChar('0')).arg(now.minute, 2, 10, QChar('0')));
    canvas_ = tmf::editor::HiDpiCanvas(ui->Aus->size());
    canvas_.fill(QColor(0xd4, 0xd0, 0xc8));
    const int n = ResultCount();
    const QSignalBlocker block(ui->ScrollBar1);
    ui->ScrollBar1->setValue(0);
    if (n < kVisibleRows) {
        ui->ScrollBar1->setMaximum(n - 1 < 0 ? 0 : n - 1);
        DrawRows(1, n);
    } else {
        ui->ScrollBar1->setMaximum(n - kVisibleRows);
        DrawRows(1, kVisibleRows);
    }
}

void TPrufungF::ScrollBar1Change(int position) {
    const int n = ResultCount();
    if (n >= kVisibleRows) DrawRows(position + 1, position + kVisibleRows);
}

void TPrufungF::DrawCell(QPainter& p, int x1, int y1, int x2, int y2) {
    p.fillRect(QRect(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2), QColor(0xd4, 0xd0, 0xc8));
    p.setPen(Qt::white);
    p.drawLine(x1, y1, x2 - 1, y1);
    p.drawLine(x1, y1, x1, y2 - 1);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(x2 - 1, y1, x2 - 1, y2 - 1);
    p.drawLine(x1, y2 - 1, x2 - 1, y2 - 1);
}

void TPrufungF::DrawRows(int first, int last) {
    firstDrawn_ = first;
    lastDrawn_ = last;
    shownRows_.clear();
    QPainter p(&canvas_);
    p.setFont(font());
    const int w = static_cast<int>(canvas_.deviceIndependentSize().width());
    for (int i = first, k = 0; i <= last; ++i, ++k) {
        const int y = kRowHeight * k;
        const int kind = static_cast<int>(CheckResults(1, i).asInteger());
        DrawCell(p, 0, y, 90, y + kRowHeight);
        if (kind >= 1 && kind <= 4) p.drawPixmap(-8, y - 3, icons_[static_cast<std::size_t>(kind - 1)]);
        p.setPen(Qt::black);
        p.drawText(QRect(16, y + 2, 74, kRowHeight - 2), Qt::AlignLeft | Qt::AlignTop, CheckKindLabel(kind));
        DrawCell(p, 90, y, w, y + kRowHeight);
        const int entry = static_cast<int>(CheckResults(0, i).asInteger());
        const std::string line = " " + EntryTable(Vorname, entry).asText() + " " + EntryTable(Nachname, entry).asText() +
                                 ", " + CheckResults(2, i).asText();
        p.setPen(Qt::black);
        p.drawText(QRect(92, y + 2, w - 94, kRowHeight - 2), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(line));
        shownRows_ << QString(CheckKindLabel(kind)) + " |" + QString::fromStdString(line);
        SetSummary(QString::fromStdString(CheckSummary()));
    }
    p.end();
    ui->Aus->setPixmap(canvas_);
}

void TPrufungF::SetSummary(const QString& text) {
    // Large files give counts in the thousands: the font shrinks until the
    // line fits its small panel instead of losing its end.
    QFont f = font();
    for (qreal size = f.pointSizeF(); size > 5.0; size -= 0.5) {
        f.setPointSizeF(size);
        if (QFontMetrics(f).horizontalAdvance(text) <= ui->Panel1->width() - 6) break;
    }
    ui->Panel1->setFont(f);
    ui->Panel1->setText(text);
}

int TPrufungF::RowAt(int y) const {
    if (y < 0) return 0;
    const int row = firstDrawn_ + y / kRowHeight;
    return row <= lastDrawn_ ? row : 0;
}

void TPrufungF::AusMouseUp(int y) {
    const int row = RowAt(y);
    if (row == 0) return;
    SelectedEntry = static_cast<std::int32_t>(CheckResults(0, row).asInteger());
    EditorMode = kModeCheck;
    if (openEntryEditor) openEntryEditor();
}

bool TPrufungF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Aus && event->type() == QEvent::MouseButtonRelease) {
        AusMouseUp(static_cast<QMouseEvent*>(event)->position().toPoint().y());
        return true;
    }
    if (watched == ui->Aus && event->type() == QEvent::Wheel) {
        // The list is a picture beside its scroll bar; the wheel over the
        // picture moves the bar as it would over the bar itself.
        QCoreApplication::sendEvent(ui->ScrollBar1, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPrufungF::BitBtn1Click() {
    DeleteFlaggedEntries();
    done(QDialog::Accepted);
}

void TPrufungF::reject() { BitBtn1Click(); }  // Esc is the dialog's button

void TPrufungF::closeEvent(QCloseEvent* event) {
    // The close box leaves without the deletion pass.
    event->accept();
    done(QDialog::Rejected);
}

std::array<QPixmap, 4> TPrufungF::DrawIcons() {
    std::array<QPixmap, 4> icons;
    const QColor colors[] = {QColor(40, 170, 40), QColor(230, 190, 0), QColor(220, 40, 40), QColor(120, 60, 160)};
    for (int k = 0; k < 4; ++k) {
        QPixmap pm = tmf::editor::HiDpiCanvas(QSize(32, 32));
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colors[k].darker(150), 1));
        p.setBrush(colors[k]);
        // The visible part is the right half of the upper rows; the shapes sit there.
        switch (k) {
            case 0:  // first warning: a bell
            case 1: {
                QPainterPath bell;
                bell.moveTo(10, 17);
                bell.cubicTo(10, 5, 22, 5, 22, 17);
                bell.lineTo(23, 19);
                bell.lineTo(9, 19);
                bell.closeSubpath();
                p.drawPath(bell);
                if (k == 1) p.drawEllipse(QPointF(16, 5), 2, 2);
                break;
            }
            case 2:  // due today: a star
            {
                QPolygonF star;
                for (int i = 0; i < 10; ++i) {
                    const double r = i % 2 ? 4.0 : 9.0;
                    const double a = -M_PI / 2 + i * M_PI / 5;
                    star << QPointF(16 + r * std::cos(a), 12 + r * std::sin(a));
                }
                p.drawPolygon(star);
                break;
            }
            default:  // passed over: a clock with an arrow back
                p.setBrush(Qt::white);
                p.drawEllipse(QPointF(16, 12), 8, 8);
                p.setPen(QPen(colors[k], 2));
                p.drawLine(QPointF(16, 12), QPointF(16, 6));
                p.drawLine(QPointF(16, 12), QPointF(20, 12));
                break;
        }
        icons[static_cast<std::size_t>(k)] = pm;
    }
    return icons;
}
