// Takes a picture of every window with sample data, for looking at layout,
// clipped texts and labels: tools/screenshots.sh runs it under a virtual X
// server and writes the PNGs to build/screenshots/.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QDir>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "CheckResults.h"
#include "Conversion.h"
#include "Dialogs.h"
#include "Gebfrm.h"
#include "Grid.h"
#include "Progress.h"
#include "PrufungFrm.h"
#include "QtDialogs.h"
#include "QtPlatform.h"
#include "SampleFiles.h"
#include "StartFrm.h"
#include "State.h"
#include "Views.h"

using namespace tmf;

namespace {

void Save(QWidget& w, const QString& dir, const QString& name, bool show = true) {
    if (show) {
        w.show();
        w.raise();
    }
    QApplication::processEvents();
    w.grab().save(dir + "/" + name + ".png");
}

void FillSampleResults() {
    CheckResults = CheckResultsType();
    const struct {
        int entry, kind, days;
        const char* text;
    } rows[] = {{1, FirstWarning, 7, "hat in 7 Tag(en) Geburtstag !"},
                {2, SecondWarning, 2, "hat in 2 Tag(en) Hochzeitstag !"},
                {3, DueToday, 0, "hat Heute Jubiläum !"},
                {4, PassedOver, -1, "Namenstag wurde übergangen !"},
                {5, FirstWarning, 12, "hat in 12 Tag(en) Arzt !"},
                {6, DueToday, 0, "hat Heute Geburtstag !"}};
    const int n = static_cast<int>(std::size(rows));
    CheckResults.resize(n);
    for (int i = 0; i < n; ++i) {
        CheckResults(0, i + 1) = Cell(rows[i].entry);
        CheckResults(1, i + 1) = Cell(rows[i].kind);
        CheckResults(2, i + 1) = Cell(rows[i].text);
        if (rows[i].days >= 0) CheckResults(3, i + 1) = Cell(rows[i].days);
    }
    CheckResults(0, 0) = Cell(n);
    CheckResults(1, 0) = Cell(2);
    CheckResults(2, 0) = Cell(1);
    CheckResults(3, 0) = Cell(2);
    CheckResults(4, 0) = Cell(CurrentFile());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Termifolio98");
    qt::SetupGermanUi(app);
    const QString out = argc > 1 ? argv[1] : "build/screenshots";
    QDir().mkpath(out);
    // The window size remembered by the user's own runs must not change the pictures.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    qt::QtPlatform platform;
    InstallPlatform(platform.platform());
    InstallEngineProgress();

    ResetProgramState();
    CurrentFile() = "/home/anna/Termifolio/daten/Termif98.tmf";
    SettingsLines(WindowOffsetX) = "0";
    SettingsLines(WindowOffsetY) = "0";
    test::LoadIntoState(test::GenerateEntries(25, 7), "06.12.2026");

    TGebF main;
    platform.desktop().setMainWindow(&main);
    TPrufungF results(&main);
    TStartF splash;
    InstallViews({&main, &splash, &results});

    splash.FormShow();
    splash.SetFileCaption("Termif98.tmf");
    splash.SetProgressText("Prüfe...");
    splash.SetProgressValue(60);
    Save(splash, out, "splash", false);  // showing it would start the check
    auto* countdown = splash.findChild<QPushButton*>("BitBtn1");
    countdown->setText("für Start noch 2");
    countdown->setVisible(true);
    Save(splash, out, "splash-countdown", false);
    splash.hide();

    main.FillChoiceLists(0, 2);
    main.SetCaption("Termifolio98 2.27 - 32bit");
    SetupGrid();
    FillGrid();
    Save(main, out, "main");
    main.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(3);
    main.findChild<QGroupBox*>("GroupBox1")->setVisible(true);
    Save(main, out, "main-resttage-internes");
    main.findChild<QGroupBox*>("GroupBox1")->setVisible(false);
    main.resize(880, 560);
    Save(main, out, "main-vergroessert");
    main.resize(TGebF::FormSize());

    TakeEditorScreenshots(out, main);
    TakeDialogScreenshots(out, main);
    TakeExchangeScreenshots(out, main);
    TakeAbgleichScreenshots(out, main);

    FillSampleResults();
    results.FormShow();
    Save(results, out, "prufung");

    // A question as the exit procedure asks it, to see the German buttons.
    QMessageBox box;
    qt::SetUpMessageBox(box, qt::ToDisplayText(CurrentFile() + ", wurde geändert.\r\nDatei abspeichern ?"),
                        MessageKind::Confirmation, Buttons::YesNoCancel);
    Save(box, out, "question");
    QMessageBox notice;
    qt::SetUpMessageBox(notice, qt::ToDisplayText(kConversionNotice), MessageKind::Confirmation, Buttons::YesNo);
    Save(notice, out, "konvertierung-hinweis");
    return 0;
}
