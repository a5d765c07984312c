// The settings, printing, internal and about windows over the filled main
// window, and the first page of a sample print.
#include "Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTextStream>

#include "AuswahlFrm.h"
#include "EinstellFrm.h"
#include "Gebfrm.h"
#include "InternFrm.h"
#include "PrintCanvasQt.h"
#include "State.h"
#include "Wukform.h"

using namespace tmf;

namespace {

void Grab(QWidget& window, const QString& dir, const QString& name) {
    window.show();
    window.raise();
    QApplication::processEvents();
    window.grab().save(dir + "/" + name + ".png");
}

void PrintSample(TAuswahlF& printing, const QString& dir) {
    const QString pdf = dir + "/druck.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    qt::QtPrintCanvas canvas(printer, printing.printFont);
    printing.Print(canvas);
    const int rc = QProcess::execute(
        "pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", pdf, dir + "/druck-seite1"});
    if (rc != 0) QTextStream(stderr) << "pdftoppm failed (" << rc << "); druck-seite1.png is missing\n";
}

}  // namespace

void TakeDialogScreenshots(const QString& dir, TGebF& main) {
    const auto listLines = ListLines;
    const auto autostart = AutostartRequest;
    // A check list of a few files and the settings a user would have.
    CheckList(1) = "/home/anna/Termifolio/daten/Arbeit.tmf";
    CheckList(2) = "/home/anna/Termifolio/daten/Verein.tmf";
    CheckList(3) = "/home/anna/Dokumente/Familie Müller.tmf";
    SettingsLines(CheckDaily) = "1";
    SettingsLines(CheckAtStart) = "0";
    SettingsLines(CheckInBackground) = "1";
    SettingsLines(CountdownSeconds) = "5";

    TEinstellF settings(&main);
    Grab(settings, dir, "einstellungen");
    settings.hide();

    TAuswahlF printing(&main);
    printing.show();
    auto* list = printing.findChild<QListWidget*>("CheckListBox1");
    for (int i : {0, 2, 3, 6}) list->item(i)->setCheckState(Qt::Checked);
    Grab(printing, dir, "drucken");
    printing.findChild<QPushButton*>("BitBtn1")->click();
    printing.findChild<QCheckBox*>("CheckBox1")->setChecked(true);
    PrintSample(printing, dir);
    printing.hide();

    TInternF intern;
    Grab(intern, dir, "intern");
    intern.hide();

    TWukfrm about(&main);
    about.show();
    for (int i = 0; i < 3; ++i) about.Timer1Timer();
    Grab(about, dir, "about");
    about.hide();

    ListLines = listLines;
    AutostartRequest = autostart;
}
