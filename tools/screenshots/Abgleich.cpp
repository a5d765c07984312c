// "Server-Abgleich ...": the account with its address books and a run's
// summary, and the question about a certificate that does not verify.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "AbgleichFrm.h"
#include "CalendarPublish.h"
#include "ContactSyncCommit.h"
#include "Dialogs.h"
#include "Gebfrm.h"
#include "QtDialogs.h"

using namespace tmf;

namespace {

template <class T>
T* Child(QWidget& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

void Shoot(QWidget& w, const QString& dir, const QString& name) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    w.grab().save(dir + "/" + name + ".png");
}

dav::DavCollection Book(const char* path, const char* name) {
    dav::DavCollection c;
    c.url = QUrl(QStringLiteral("https://dav.example.org/anna/") + path + "/");
    c.displayName = name;
    c.addressBook = true;
    return c;
}

}  // namespace

void TakeAbgleichScreenshots(const QString& dir, TGebF& main) {
    TAbgleichF dialog(&main);
    dialog.show();
    Child<QLineEdit>(dialog, "EditServer")->setText("https://dav.example.org/");
    Child<QLineEdit>(dialog, "EditBenutzer")->setText("anna");
    Child<QLineEdit>(dialog, "EditPasswort")->setText("geheimes-passwort");
    Child<QLineEdit>(dialog, "EditDatei")->setText("/home/anna/Termifolio/daten/Termif98.tmf");
    dialog.ShowBooks({Book("familie", "Familie"), Book("freunde", "Freunde und Nachbarn"),
                      Book("verein", "Sportverein Grün-Weiß")});
    Child<QListWidget>(dialog, "ListAdressbuecher")->item(0)->setCheckState(Qt::Checked);
    Child<QListWidget>(dialog, "ListAdressbuecher")->item(1)->setCheckState(Qt::Checked);
    dav::DavCollection familie = Book("kalender", "Familienkalender"), eigener = Book("termifolio98", "Termifolio98");
    for (dav::DavCollection* c : {&familie, &eigener}) {
        c->addressBook = false;
        c->calendar = true;
        c->takesEvents = true;
    }
    dialog.ShowCalendars({familie, eigener});
    auto* calendars = Child<QListWidget>(dialog, "ListKalender");
    calendars->item(1)->setCheckState(Qt::Checked);
    calendars->setCurrentRow(1);
    Child<QLabel>(dialog, "LabelStatus")->setText("3 Adreßbücher gefunden.");
    ContactSyncReport report;
    report.added = {{"Berta Adam", "Geburtstag", "15.03.1970", ""},
                    {"Jörg Müller-Lüdenscheidt", "Jahrestag", "02.06.1994", ""},
                    {"Eva Zeh", "Geburtstag", "11.11.0101", ""}};
    report.changed = {{"Karl Berg", "Geburtstag", "24.12.1950", ""}};
    report.kept = 140;
    report.skipped = {{"Otto Ruhig", "Geburtstag", "", "Der 29. Februar läßt sich nicht speichern."}};
    report.withoutDate = 37;
    PublishReport published;
    published.created = {"Berta Adam: Geburtstag", "Jörg Müller-Lüdenscheidt: Jahrestag"};
    published.updated = {"Karl Berg: Geburtstag"};
    published.unchanged = 140;
    published.conflicts = {"Eva Zeh: Geburtstag (anderswo geändert)"};
    Child<QPlainTextEdit>(dialog, "MemoProtokoll")
        ->setPlainText("Abgleich in Termif98.tmf ...\n" +
                       qt::ToDisplayText(ContactSyncSummary(report, "/home/anna/Termifolio/daten/Termif98.tmf")) + "\n" +
                       qt::ToDisplayText(PublishSummary(published, "/home/anna/Termifolio/daten/Termif98.tmf", "Termifolio98")));
    Child<QProgressBar>(dialog, "ProgressBar1")->setRange(0, 1);
    Child<QProgressBar>(dialog, "ProgressBar1")->setValue(1);
    Shoot(dialog, dir, "abgleich");

    dav::DavError untrusted;
    untrusted.kind = dav::DavErrorKind::TlsUntrusted;
    untrusted.certificate.host = "dav.example.org";
    untrusted.certificate.port = 443;
    for (int i = 0; i < 32; ++i) untrusted.certificate.sha256.append(static_cast<char>(i * 37 + 11));
    dialog.ShowFailure(untrusted, TAbgleichF::Work::Discovering);
    Child<QLabel>(dialog, "LabelStatus")->setText("Keine Verbindung.");
    Shoot(dialog, dir, "abgleich-zertifikat");
    dialog.hide();
}
