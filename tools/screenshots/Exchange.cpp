// The grid's popup menu with the address-book and calendar commands, and the
// question and summaries they show.
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTableView>

#include "Dialogs.h"
#include "Gebfrm.h"
#include "ICalendar.h"
#include "QtDialogs.h"
#include "VCardImport.h"

using namespace tmf;

namespace {

void SaveBox(const std::string& text, MessageKind kind, Buttons buttons, const QString& dir, const QString& name) {
    QMessageBox box;
    qt::SetUpMessageBox(box, qt::ToDisplayText(text), kind, buttons);
    box.show();
    QApplication::processEvents();
    box.grab().save(dir + "/" + name + ".png");
}

}  // namespace

void TakeExchangeScreenshots(const QString& dir, TGebF& main) {
    main.show();
    main.raise();
    auto* menu = main.findChild<QMenu*>("PopupMenu1");
    auto* grid = main.findChild<QTableView*>("SG");
    grid->selectRow(2);
    const QPoint at = grid->viewport()->mapToGlobal(QPoint(120, 60));
    menu->popup(at);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    // The menu is a window of its own: the picture is the screen around
    // the main window, so that it shows where the menu opens.
    const QRect area = main.frameGeometry().united(menu->geometry());
    QApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(dir + "/popup-menu.png");
    menu->hide();

    VCardImportCounts counts;
    counts.added = 128;
    counts.alreadyThere = 12;
    counts.skipped = 37;
    counts.namesChanged = 3;
    SaveBox("128 neue Einträge aus Kontakte.vcf in Termif98.tmf übernehmen und die Datei speichern ?",
            MessageKind::Confirmation, Buttons::YesNo, dir, "vcard-frage");
    SaveBox(VCardImportSummary(counts, "/home/anna/Kontakte.vcf"), MessageKind::Information, Buttons::Ok, dir,
            "vcard-zusammenfassung");
    SaveBox(ICalendarSummary(25, "/home/anna/Termif98.ics"), MessageKind::Information, Buttons::Ok, dir,
            "icalendar-zusammenfassung");
}
