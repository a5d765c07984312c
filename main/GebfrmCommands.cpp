// The main window's commands: search, add, open and delete entries, the
// manual check, the dialogs, the documents and the internal tools.
#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <random>

#include "AbgleichOpen.h"
#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "CheckRun.h"
#include "Cp1252.h"
#include "Dates.h"
#include "FileIo.h"
#include "Gebfrm.h"
#include "Grid.h"
#include "Ports.h"
#include "Progress.h"
#include "Startup.h"
#include "State.h"
#include "ui_Gebfrm.h"

using namespace tmf;

namespace {

// The shell's answer is all the program learns of the desktop: without a
// program for the file the user would otherwise see nothing happen at all.
void OpenDocument(const std::string& name, const std::string& folder) {
    if (!FileExists(folder + name)) {
        ShowMessage(name + " wurde im Ordner >" + folder + "< nicht gefunden.");
        return;
    }
    if (!ThePlatform().shell->Open(name, folder))
        ShowMessage(name + " konnte nicht geöffnet werden.\r\n"
                           "Es ist kein Programm eingerichtet, das diese Datei öffnen kann.");
}

}  // namespace

void TGebF::ConnectCommands() {
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TGebF::Edit1Change);
    ui->Label1->installEventFilter(this);
    connect(ui->BitBtn2, &QToolButton::clicked, this, &TGebF::BitBtn2Click);
    connect(ui->BitBtn6, &QToolButton::clicked, this, &TGebF::BitBtn6Click);
    connect(ui->BitBtn1, &QToolButton::clicked, this, &TGebF::BitBtn1Click);
    connect(ui->BitBtn11, &QPushButton::clicked, this, &TGebF::BitBtn11Click);
    connect(ui->BitBtn8, &QPushButton::clicked, this, &TGebF::BitBtn8Click);
    connect(ui->BitBtn5, &QPushButton::clicked, this, &TGebF::BitBtn5Click);
    connect(ui->BitBtn9, &QPushButton::clicked, this, &TGebF::BitBtn9Click);
    ui->BitBtn9->installEventFilter(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TGebF::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TGebF::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TGebF::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TGebF::Button4Click);
    connect(ui->BitBtn12, &QPushButton::clicked, this, &TGebF::BitBtn12Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TGebF::BitBtn3Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TGebF::BitBtn4Click);
    connect(ui->BitBtn7, &QPushButton::clicked, this, &TGebF::BitBtn7Click);

    connect(ui->SG, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { SGDblClick(index.row() + 1); });
    connect(ui->SG->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int) { SGDblClick(0); });
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* del = PopupMenu1->addAction("Löschen");
    del->setObjectName("Lschen1");
    connect(del, &QAction::triggered, this, &TGebF::Lschen1Click);
    QAction* vcard = PopupMenu1->addAction("vCard importieren ...");
    vcard->setObjectName("VCardImport");
    connect(vcard, &QAction::triggered, this, &TGebF::VCardImportClick);
    QAction* dav = PopupMenu1->addAction("Server-Abgleich ...");
    dav->setObjectName("ServerAbgleich");
    connect(dav, &QAction::triggered, this, [this] { tmf::ui::OpenAbgleichF(this); });
    QAction* ics = PopupMenu1->addAction("iCalendar exportieren ...");
    ics->setObjectName("ICalendarExport");
    connect(ics, &QAction::triggered, this, &TGebF::ICalendarExportClick);
    ui->SG->viewport()->installEventFilter(this);
}

void TGebF::keyPressEvent(QKeyEvent* event) {
    // Only keys that the focused control had no use for come up to the
    // window: an open drop-down list keeps its Enter and Esc, and so does the
    // editor, a window of its own.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter on a button presses that button, as the Space key does.
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        else
            BitBtn2Click();  // "&Anfügen", the window's default button
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        EndeClick();  // "&ENDE", the window's cancel button
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TGebF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->SG->viewport()) {
        // Only mouse events are QMouseEvents; the viewport sees paint and
        // resize events too.
        const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
        if (!mouse) return QWidget::eventFilter(watched, event);
        // A right click selects the row under the mouse first, as every list
        // does: "Löschen" must delete the row the user pointed at.
        if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
            mouse->button() == Qt::RightButton) {
            const QModelIndex index = ui->SG->indexAt(mouse->position().toPoint());
            if (index.isValid())
                ui->SG->selectionModel()->setCurrentIndex(
                    index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton) {
            PopupMenu1->popup(mouse->globalPosition().toPoint());
            return true;
        }
    } else if (watched == ui->Label1 && event->type() == QEvent::MouseButtonRelease) {
        Label1Click();
        return true;
    } else if (watched == ui->BitBtn9 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The tab character, as Ctrl+I types it; the Tab key itself moves the focus.
        if (key->text() == QStringLiteral("\t") && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            BitBtn9KeyPress(9);
            return true;
        }
        if (key->key() == Qt::Key_I && key->modifiers() == Qt::ControlModifier) {
            BitBtn9KeyPress(9);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TGebF::SelectedRow() const {
    const QModelIndexList rows = ui->SG->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void TGebF::SetRowVisible(int gridRow, bool visible) {
    char& hidden = MainGrid.hidden[static_cast<std::size_t>(gridRow)];
    if (hidden == static_cast<char>(!visible)) return;  // set only when it differs
    hidden = static_cast<char>(!visible);
    ui->SG->setRowHidden(gridRow - 1, !visible);
}

void TGebF::Edit1Change() {
    // A change while a search runs starts the search again inside it. That
    // one goes through every row with the newest text, so the running one
    // has nothing left to do when it comes back; going on, it would count
    // its own rows and the other's into the label.
    ++searchDepth_;
    const unsigned run = ++searchRuns_;
    ui->SG->setUpdatesEnabled(false);
    ui->Label1->setText("0 gefunden");
    int found = 0;
    const int n = ListedRows();
    QString label = "0 gefunden";
    for (int r = 1; r <= n && r < MainGrid.rowCount(); ++r) {
        if (r % 20 == 0 || r == n) ShowProgress("Suche...", static_cast<float>(r), static_cast<float>(n));
        if (run != searchRuns_) {
            // The progress this search reported last came after the newer
            // one's "Fertig"; the bar shows the end again.
            if (n > 0) ShowProgress("Suche...", static_cast<float>(n), static_cast<float>(n));
            --searchDepth_;
            return;
        }
        if (r >= MainGrid.rowCount()) break;  // a refill during the progress may have shortened the grid
        const std::string needle = UpperCp1252(ui->Edit1->text().toStdString());
        bool match = false;
        for (int c = 1; c <= 4 && !match; ++c)
            match = UpperCp1252(MainGrid.text(c, r)).find(needle) !=
                    std::string::npos;
        if (!match && !needle.empty()) {
            SetRowVisible(r, false);
            continue;
        }
        SetRowVisible(r, true);
        ++found;
        label = needle.empty() ? QStringLiteral("kein Eintrag ") : QString::number(found) + " gefunden";
        ui->Label1->setText(label);
    }
    // A selected row the search hides would let "Löschen" take an entry
    // the user cannot see.
    if (const int selected = SelectedRow(); selected >= 1 && ui->SG->isRowHidden(selected - 1))
        ui->SG->selectionModel()->clear();
    ui->SG->setUpdatesEnabled(true);
    ui->SG->viewport()->update();
    --searchDepth_;
}

void TGebF::Label1Click() { SetupGrid(); }

void TGebF::BitBtn2Click() {
    if (TableOperationRunning()) return;
    if (EntryCount >= kMaxEntries) {
        ShowMessage("Huch, keiner hat soviele Enträge erwartet !");
        return;
    }
    EditorMode = kModeNew;
    if (openEditorModal) openEditorModal();
}

void TGebF::SGDblClick(int gridRow) {
    if (RefuseWhileBusy()) return;
    if (gridRow <= 0) {
        ShowMessage("Neueingabe über ANFÜGEN !");
        return;
    }
    if (editorOpen && editorOpen()) {
        // The open editor stays on the entry it shows; it only comes forward.
        if (openEditorNonModal) openEditorNonModal();
        return;
    }
    EditorMode = kModeEdit;
    SelectedEntry = gridRow;
    if (openEditorNonModal) openEditorNonModal();
}

void TGebF::Lschen1Click() {
    const int row = SelectedRow();
    if (row < 1 || row > EntryCount || TableOperationRunning()) return;
    if (Ask("Wirklich LÖSCHEN ?", MessageKind::Warning, Buttons::YesNo) != Answer::Yes) return;
    TableOperation busy;
    DeleteEntry(row);
    EditorMode = kModeDelete;
    Modified = 1;
    if (editorOpen && editorOpen() && closeEditor) closeEditor();
    SortAndFillGrid();
}

void TGebF::BitBtn6Click() {
    if (TableOperationRunning() || CheckRunning()) return;
    TableOperation busy;
    if (!OfferSaveBeforeReplacing()) return;
    // The run loads the current file again from disk, where the choices made
    // in the lists since its last write are not yet.
    if (!CheckDates("Manuel", ShownChoices{EntryTable(HeaderOutputChoice, 0), EntryTable(HeaderSortChoice, 0)})) {
        RecoverCurrentFile();
        return;
    }
    // The run reloaded the current file from disk; the grid must show the
    // table as it now is, or a double click would open another entry.
    SortAndFillGrid();
}

void TGebF::RecoverCurrentFile() {
    // With a full list the broken file stays current over an empty table;
    // nothing is written into it (it failed to load).
    if (SwitchToTestFile()) {
        if (!FileExists(CurrentFile()) || !IsLoaded(LoadAppointmentFile(CurrentFile(), "Alles"))) {
            ResetFileHeader();
            if (!FileExists(CurrentFile())) SaveAppointmentFile(CurrentFile(), "", "Datum");
        }
    } else {
        ResetFileHeader();
    }
    Modified = 0;
    SortAndFillGrid();
}

void TGebF::BitBtn1Click() {
    if (RefuseWhileBusy()) return;
    if (EinstellF) EinstellF->exec();
}

void TGebF::BitBtn11Click() {
    // It prints the table, which during a check run holds another file.
    if (RefuseWhileBusy()) return;
    if (AuswahlF) AuswahlF->exec();
}

void TGebF::BitBtn8Click() {
    if (FileExists(DocumentDir + "Beschreibung.doc")) {
        OpenDocument("Beschreibung.doc", DocumentDir);
        return;
    }
    ShowMessage("Beschreibung.doc konte im Programmpfad >" + DocumentDir + "< nicht gefunden werden.\r\n"
                " Datei ist im Programmpfad nicht vorhanden .");
}

void TGebF::BitBtn5Click() {
    ShowMessage("Termifolio98 " + VersionText +
                "\r\n\r\nTermine, Geburtstage und Jubiläen im Blick.\r\n"
                "Copyright © 1993-1998 Wuk-Soft. Alle Rechte vorbehalten.");
}

void TGebF::BitBtn9Click() {
    if (Wukfrm) Wukfrm->exec();
}

void TGebF::BitBtn9KeyPress(int key) {
    if (key != 9) return;
    if (ThePlatform().dialogs->InputBox("", "", "") == "kWp") ui->GroupBox1->setVisible(true);
}

void TGebF::Button1Click() {
    if (!InternF) return;
    InternF->show();
    InternF->raise();
    InternF->activateWindow();
}

void TGebF::Button3Click() { ui->GroupBox1->setVisible(false); }

void TGebF::Button4Click() { OpenDocument("TermifolioIntern.rtf", SpecialDir); }

void TGebF::Button2Click() {
    if (TableOperationRunning()) return;
    TableOperation busy;
    static std::mt19937 rng(std::random_device{}());
    auto random = [](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::uniform_real_distribution<double> lead(0.0, 1000.0);
    const int from = EntryCount + 1;
    Modified = 1;
    EntryCount += 100;
    ResizeEntryTable(EntryCount);
    for (int n = from; n <= EntryCount; ++n) {
        Row& row = EntryTable.row(n);
        row[Vorname] = Cell("Vorname " + std::to_string(n));
        row[Nachname] = Cell("Nachname " + std::to_string(n));
        // The year that marks a date without a year is drawn again: such a
        // date would show without its year and count no age.
        int year = 0;
        do year = 100 + random(2000);
        while (year == kYearlessYear);
        const auto date = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(3 + random(8))} /
                          std::chrono::day{static_cast<unsigned>(1 + random(30))};
        row[TerminAm] = Cell(FormatDate(date));
        row[Bemerkung] = Cell("Eine Bemerkung von " + std::to_string(n));
        row[Warnung1] = Cell(lead(rng));
        row[Warnung2] = Cell(lead(rng));
        row[Erreicht] = Cell(0);
        row[Adresse] = Cell(StoreLineBreaks("Hier\r\nund\r\nda"));
        row[TelFaxMail] = Cell(StoreLineBreaks("Telefonnummer\r\nFaxnummer\r\nE-Mail Adresse"));
        row[Loeschen] = Cell(false);
        row[Terminart] = Cell(Cp1252ToUtf8(std::string(1, static_cast<char>(40 + random(100)))));
    }
    FillGrid();
}
