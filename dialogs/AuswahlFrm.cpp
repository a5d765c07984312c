#include "AuswahlFrm.h"

#include <QFontDialog>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>

#include "Dates.h"
#include "DialogPlacement.h"
#include "Grid.h"
#include "Ports.h"
#include "PrintCanvasQt.h"
#include "State.h"
#include "Views.h"
#include "ui_AuswahlFrm.h"

using namespace tmf;

namespace {


}  // namespace

TAuswahlF::TAuswahlF(QWidget* parent)
    : QDialog(parent), ui(new Ui::TAuswahlF), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    ui->setupUi(this);
    setObjectName("AuswahlF");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(592, 262);
    // The columns of the lines line up only in a fixed-width face.
    QFont mono("Liberation Mono");
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(8);
    ui->CheckListBox1->setFont(mono);
    ui->CheckListBox1->setUniformItemSizes(true);
    ui->CheckListBox1->setStyleSheet("QListWidget::item { height: 16px; }");
    // What a printer canvas starts with before the user picks a face.
    printFont = QFont("Liberation Sans");
    printFont.setPointSize(8);

    connect(ui->BitBtn1, &QPushButton::clicked, this, &TAuswahlF::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TAuswahlF::BitBtn2Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TAuswahlF::BitBtn4Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TAuswahlF::BitBtn3Click);
}

TAuswahlF::~TAuswahlF() {
    delete ui;
}

void TAuswahlF::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TAuswahlF::FormShow() {
    if (MainView* main = TheViews().main) {
        const WindowRect r = PlaceBesideMain(width(), height(), (main->Geometry().width - width()) / 2, 111);
        tmf::ui::PlaceFrameAt(this, r.left, r.top);
    }
    QListWidget* list = ui->CheckListBox1;
    list->clear();
    const int n = ListedRows();
    for (int i = 1; i <= n; ++i) {
        const auto cell = [i](int c) { return std::string(MainGrid.text(c, i)); };
        auto* item = new QListWidgetItem(
            QString::fromStdString(SelectionLine(cell(0), cell(1), cell(2), cell(3), cell(4))));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        list->addItem(item);
    }
}

void TAuswahlF::SetAllTicks(bool ticked) {
    QListWidget* list = ui->CheckListBox1;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TAuswahlF::BitBtn1Click() {
    SetAllTicks(true);
}
void TAuswahlF::BitBtn2Click() {
    SetAllTicks(false);
}
void TAuswahlF::BitBtn3Click() {
    reject();
}

std::vector<int> TAuswahlF::TickedRows() const {
    std::vector<int> rows;
    const QListWidget* list = ui->CheckListBox1;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) rows.push_back(i + 1);
    return rows;
}

std::string TAuswahlF::HeaderLine() {
    const TimeOfDay now = ThePlatform().clock->Now();
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", now.hour % 100, now.minute % 100);
    return CurrentFile() + " - vom " + FormatDate(Today()) + " um " + time;
}

void TAuswahlF::Print(PrintCanvas& canvas) {
    std::vector<PrintedEntry> entries;
    const int n = ListedRows();
    for (int r : TickedRows()) {
        // The list may have been filled before the main list changed.
        if (r > n) continue;
        const auto cell = [r](int c) { return std::string(MainGrid.text(c, r)); };
        entries.push_back({cell(0), cell(1), cell(2), cell(3), cell(4), EntryTable(Adresse, r).asText(),
                           EntryTable(TelFaxMail, r).asText()});
    }
    PrintEntryList(canvas, HeaderLine(), entries, ui->CheckBox1->isChecked());
}

void TAuswahlF::BitBtn4Click() {
    QPrintDialog printDialog(printer_.get(), this);
    if (printDialog.exec() != QDialog::Accepted) return;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, printFont, this, "Schriftart");
    if (ok) printFont = chosen;
    qt::QtPrintCanvas canvas(*printer_, printFont);
    Print(canvas);
    if (!canvas.pages()) ShowMessage("Der Drucker konnte nicht angesprochen werden !", MessageKind::Error);
}
