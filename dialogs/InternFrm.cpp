#include "InternFrm.h"

#include <QListWidget>
#include <QStringList>

#include "Cp1252.h"
#include "Dates.h"
#include "Ports.h"
#include "State.h"
#include "ui_InternFrm.h"

using namespace tmf;

TInternF::TInternF(QWidget* parent) : QDialog(parent), ui(new Ui::TInternF) {
    ui->setupUi(this);
    setObjectName("InternF");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(625, 498);
    QFont big("Liberation Sans", 14);
    big.setBold(true);
    ui->Label4->setFont(big);
    for (QListWidget* list : {ui->ListBox0, ui->ListBox1, ui->ListBox2, ui->ListBox3})
        list->setUniformItemSizes(true);
    connect(ui->ListBox0, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ListBox0Click(ui->ListBox0->row(item)); });
    connect(ui->Button1, &QPushButton::clicked, this, &TInternF::Button1Click);
    FormCreate();
}

TInternF::~TInternF() {
    delete ui;
}

void TInternF::FormCreate() {
    ui->Label4->setText(QString::fromStdString("Version Komplett  " + VersionText));
}

QString TInternF::FieldLine(int field, int row) {
    // Shown as a list box shows it: the text ends at the first stored line
    // break.
    std::string value = StoreLineBreaks(static_cast<const EntryTableType&>(EntryTable)(field, row).asText());
    const auto end = value.find_first_of(std::string("\0\r\n", 3));
    if (end != std::string::npos) value.resize(end);
    return QString::fromStdString(std::to_string(field) + "," + std::to_string(row) + "  " + value);
}

bool TInternF::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && refillOnActivate_) FormActivate();
    if (event->type() == QEvent::WindowDeactivate) refillOnActivate_ = true;
    return QDialog::event(event);
}

void TInternF::showEvent(QShowEvent* event) {
    // Activation is not reported on every platform; showing is.
    FormActivate();
    QDialog::showEvent(event);
}

void TInternF::FormActivate() {
    refillOnActivate_ = false;
    QStringList header;
    for (int f = 0; f < kFieldCount; ++f) header << FieldLine(f, 0);
    // A header read on its own may promise more rows than the table holds;
    // beyond the table there is nothing to show.
    const int rows = LastEntryRow();
    QStringList all;
    all.reserve((rows + 1) * kFieldCount);
    for (int r = 0; r <= rows; ++r)
        for (int f = 0; f < kFieldCount; ++f) all << FieldLine(f, r);
    QStringList lines;
    for (int k = -20; k <= 100; ++k)
        lines << QString::fromStdString(std::to_string(k) + ". " +
                                        ListLines[static_cast<std::size_t>(k + 20)]);
    QStringList terms;
    for (int k = 0; k < kTermNameSlots; ++k)
        terms << QString::fromStdString(std::to_string(k) + ". " + TermNames[static_cast<std::size_t>(k)]);

    const std::pair<QListWidget*, QStringList*> fills[] = {
        {ui->ListBox0, &header}, {ui->ListBox1, &all}, {ui->ListBox2, &lines}, {ui->ListBox3, &terms}};
    for (const auto& [list, texts] : fills) {
        list->clear();
        list->addItems(*texts);
    }
}

void TInternF::ListBox0Click(int line) {
    if (line < 0 || line >= kFieldCount) return;
    const std::string preset = Utf8Left(EntryTable(line, 0).asText(), 12);
    EntryTable(line, 0) =
        Cell(ThePlatform().dialogs->InputBox("Wert ändern", "Ändere den Wert, aber sei vorsichtig.", preset));
}

void TInternF::Button1Click() {
    close();
}
