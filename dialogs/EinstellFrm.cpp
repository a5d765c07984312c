#include "EinstellFrm.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <array>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "DialogPlacement.h"
#include "FileIo.h"
#include "Grid.h"
#include "Ports.h"
#include "Sort.h"
#include "Startup.h"
#include "State.h"
#include "TitleBarHints.h"
#include "Views.h"
#include "ui_EinstellFrm.h"

using namespace tmf;

namespace {

// A yes/no setting as stored.
std::string Flag(bool on) {
    return on ? "1" : "0";
}

using CheckListCopy = std::array<std::string, kCheckListSlots>;

CheckListCopy CopyCheckList() {
    CheckListCopy copy;
    for (int k = 0; k < kCheckListSlots; ++k) copy[static_cast<std::size_t>(k)] = CheckList(k);
    return copy;
}

void RestoreCheckList(const CheckListCopy& copy) {
    for (int k = 0; k < kCheckListSlots; ++k) CheckList(k) = copy[static_cast<std::size_t>(k)];
}

// A freshly loaded file is shown in the order the main window offers, not
// in the order stored in its header.
void ReSort() {
    MainView* main = TheViews().main;
    const int choice =
        main ? main->SortChoiceIndex() : static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger());
    EntryTable(HeaderSortChoice, 0) = Cell(std::to_string(choice));
    SortEntries(choice);
}

// Loads the file that has just come to slot 0. A failed load leaves the
// table holding the entries of the file that was current before; that file
// goes back to slot 0 with them, so that no later header stamp or save
// writes them into the file that failed.
bool LoadNewCurrent(const CheckListCopy& before) {
    if (IsLoaded(LoadAppointmentFile(CurrentFile(), "Alles"))) {
        ReSort();
        return true;
    }
    if (!SameFile(CurrentFile(), before[0])) RestoreCheckList(before);
    return false;
}

}  // namespace

TEinstellF::TEinstellF(QWidget* parent) : QDialog(parent), ui(new Ui::TEinstellF) {
    ui->setupUi(this);
    setObjectName("EinstellF");
    // No title-bar buttons: the dialog is left through "OK" only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(368, 215);
    // Arrows only: a typed 0 or 99 would never reach the setting anyway.
    ui->SpinEdit1->findChild<QLineEdit*>()->setReadOnly(true);
    ui->ListBox1->setUniformItemSizes(true);
    ui->ListBox1->setStyleSheet("QListWidget::item { height: 13px; }");

    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TEinstellF::CheckBox1Click);
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TEinstellF::CheckBox2Click);
    connect(ui->CheckBox3, &QCheckBox::toggled, this, &TEinstellF::CheckBox3Click);
    connect(ui->SpinEdit1, qOverload<int>(&QSpinBox::valueChanged), this, &TEinstellF::SpinEdit1Change);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TEinstellF::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TEinstellF::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TEinstellF::BitBtn3Click);
    connect(ui->ListBox1, &QListWidget::itemDoubleClicked, this, &TEinstellF::ListBox1DblClick);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TEinstellF::BitBtn4Click);
}

TEinstellF::~TEinstellF() {
    delete ui;
}

void TEinstellF::showEvent(QShowEvent* event) {
    tmf::qt::AskForTitleAndBorderOnly(*this);
    FormShow();
    QDialog::showEvent(event);
}

void TEinstellF::FormShow() {
    if (MainView* main = TheViews().main) {
        const WindowRect r = PlaceBesideMain(width(), height(), (main->Geometry().width - width()) / 2, 46);
        tmf::ui::PlaceFrameAt(this, r.left, r.top);
    }
    RefillControls();
}

void TEinstellF::RefillControls() {
    {
        // The countdown the start-up will run, also for a stored text it
        // cannot use; the stored text stays until the user moves the arrows.
        const QSignalBlocker block(ui->SpinEdit1);
        ui->SpinEdit1->setValue(CountdownLimit());
    }
    // In this order, each through its click handler when the box changes:
    // with both checks stored as on, the daily check wins.
    ui->CheckBox1->setChecked(SettingOn(CheckAtStart));
    ui->CheckBox2->setChecked(SettingOn(CheckDaily));
    ui->CheckBox3->setChecked(SettingOn(CheckInBackground));

    ui->ListBox1->clear();
    for (int k = 0; k < kCheckListSlots; ++k) {
        if (CheckList(k).empty()) continue;
        auto* item = new QListWidgetItem(QString::fromStdString(CheckList(k)), ui->ListBox1);
        // The program keeps the slots without gaps, but a list written
        // elsewhere may have some; the slot travels with its line.
        item->setData(Qt::UserRole, k);
    }
}

int TEinstellF::SlotOfRow(int row) const {
    const QListWidgetItem* item = ui->ListBox1->item(row);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

int TEinstellF::SelectedSlot() const {
    const auto selected = ui->ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(Qt::UserRole).toInt();
}

void TEinstellF::CheckBox1Click(bool checked) {
    SettingsLines(CheckAtStart) = Flag(checked);
    if (checked) ui->CheckBox2->setChecked(false);
}

void TEinstellF::CheckBox2Click(bool checked) {
    SettingsLines(CheckDaily) = Flag(checked);
    if (checked) ui->CheckBox1->setChecked(false);
}

void TEinstellF::CheckBox3Click(bool checked) {
    if (checked && SettingValue(CheckInBackground) == 0) {
        ShowMessage("Sie haben beim dem nächsten Programmstart " + std::to_string(CountdownLimit()) +
                    " sek. Zeit \r\ndie Abschaltautomatik zu deaktivieren !\r\n"
                    "Durch Countdown können Sie die Zeit verändern.");
        AutostartRequest = 1;
    }
    if (!checked) {
        AutostartRequest = 0;
        ThePlatform().sound->Beep();
    }
    SettingsLines(CheckInBackground) = Flag(checked);
}

void TEinstellF::SpinEdit1Change(int value) {
    SettingsLines(CountdownSeconds) = std::to_string(value);
}

void TEinstellF::BitBtn1Click() {
    if (busy_ || TableOperationRunning()) return;
    const auto chosen = ThePlatform().dialogs->OpenFileName(
        {"Datei Anlegen oder Laden .", FileDialogDir, "*.tmf", /*askToCreate=*/true});
    if (!chosen || chosen->empty()) return;
    const bool exists = FileExists(*chosen);
    if (!OfferSaveBeforeReplacing()) return;
    busy_ = true;
    const CheckListCopy before = CopyCheckList();
    EditCheckList(*chosen, "Neu");
    // A full list refuses the file (and has said so): the current file and
    // its entries stay as they are.
    if (SameFile(CurrentFile(), *chosen)) {
        if (exists) {
            LoadNewCurrent(before);
        } else {
            const Row header = EntryTable.row(0);
            const std::int32_t count = EntryCount;
            ResetData("F[]", "");
            if (!SaveAppointmentFile(CurrentFile(), "", "Datum")) {
                // The file could not be made: keep the old one current, with
                // its entries (the reset touched only the header and count).
                RestoreCheckList(before);
                EntryTable.row(0) = header;
                EntryCount = count;
            }
        }
    } else {
        RestoreCheckList(before);
    }
    FillGrid();
    FormShow();
    busy_ = false;
}

void TEinstellF::BitBtn2Click() {
    if (busy_ || TableOperationRunning()) return;
    const int slot = SelectedSlot();
    if (slot < 0) return;
    StampCurrentFile();
    if (!OfferSaveBeforeReplacing()) return;
    busy_ = true;
    setEnabled(false);
    const CheckListCopy before = CopyCheckList();
    EditCheckList(std::to_string(slot), "Vorne");
    LoadNewCurrent(before);
    FillGrid();
    FormShow();
    setEnabled(true);
    busy_ = false;
}

void TEinstellF::ListBox1DblClick() {
    BitBtn2Click();
}

void TEinstellF::BitBtn3Click() {
    if (busy_ || TableOperationRunning()) return;
    const int slot = SelectedSlot();
    if (slot < 0) return;
    if (slot == 0 && UsedCheckListSlots() <= 1) {
        ShowMessage("Der Aktuelle Eintrag kann nicht entfernt werden !");
        return;
    }
    if (ui->ListBox1->count() <= 1) return;
    busy_ = true;
    const CheckListCopy before = CopyCheckList();
    if (slot == 0) {
        // The next file takes the current one's place; its unsaved changes
        // would otherwise go without a word.
        if (!OfferSaveBeforeReplacing()) {
            busy_ = false;
            return;
        }
        EditCheckList(std::to_string(slot), "Raus");
        LoadNewCurrent(before);
    } else {
        // The current file stays: its entries in memory, saved or not, are
        // still the ones to show.
        EditCheckList(std::to_string(slot), "Raus");
        ReSort();
    }
    FillGrid();
    FormShow();
    busy_ = false;
}

void TEinstellF::BitBtn4Click() {
    done(QDialog::Accepted);
}

void TEinstellF::reject() {}  // Esc does not leave: there is nothing to cancel

void TEinstellF::closeEvent(QCloseEvent* event) {
    // Only the program's end closes the dialog from outside.
    if (ProgramEnding()) {
        done(QDialog::Accepted);
        event->accept();
    } else {
        event->ignore();
    }
}
