// "Server-Abgleich ..." from the grid's popup menu, driven like a user
// against a real Radicale on this computer: the account typed in, the
// connection checked, an address book ticked, the run, and what ends up in
// the table, the grid and the file.
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>

#include "AbgleichFrm.h"
#include "CalendarPublish.h"
#include "ICalendar.h"
#include "FileIo.h"
#include "PlatformTestSupport.h"
#include "ProgramFixture.h"
#include "DavServers.h"
#include "ServerSyncSupport.h"
#include "SyncSettings.h"

using namespace tmf;
using test::EntrySpec;

namespace {

const QString kUser = "anna";
const QString kPassword = "geheim";

QByteArray Card(const char* uid, const char* family, const char* given, const char* bday) {
    return QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nFN:" + given + " " + family + "\r\nN:" +
           family + ";" + given + ";;;\r\nBDAY:" + bday + "\r\nEND:VCARD\r\n";
}

}  // namespace

class ServerSyncDialog : public test::ProgramTest {
protected:
    static void SetUpTestSuite() {
        server = new test::Radicale;
        QString why;
        if (!server->start(&why)) {
            startFailure = why.toStdString();
            return;
        }
        const QUrl familie = server->makeAddressBook("familie", "Familie");
        const QUrl arbeit = server->makeAddressBook("arbeit", "Arbeit");
        const bool put = server->put(familie, "adam.vcf", Card("adam", "Adam", "Berta", "1970-03-15")) == 201 &&
                         server->put(familie, "berg.vcf", Card("berg", "Berg", "Karl", "1950-12-24")) == 201 &&
                         server->put(arbeit, "ruhig.vcf", Card("ruhig", "Ruhig", "Otto", "1960-03-20")) == 201;
        if (!put) startFailure = "the contacts could not be put on the server";
        server->makeCalendar("geburtstage", "Geburtstage");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(startFailure.empty()) << startFailure;
        ProgramTest::SetUp();
        dav::SaveSyncSettings({});
        current = data + "Familie.tmf";
        test::WriteAppointmentFileBytes(
            current, test::AppointmentFileBytes({{"Karl", "Berg", "24.12.1950", "Geburtstag"}}, "07.12.2026", 0, 2));
        WriteCheckList({current}, /*atStart=*/false);
        ASSERT_TRUE(Start());
        main = program->GebF.get();
        main->show();
        platform.clearRecords();
    }

    // Opens the dialog as the popup menu does and gives it a password
    // store and question this test scripts.
    TAbgleichF* Open() {
        auto* menu = main->findChild<QMenu*>("PopupMenu1");
        auto* action = menu ? menu->findChild<QAction*>("ServerAbgleich") : nullptr;
        EXPECT_NE(action, nullptr);
        if (!action) return nullptr;
        action->trigger();
        auto* dialog = main->findChild<TAbgleichF*>("AbgleichF");
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return nullptr;
        dialog->passwords = std::make_unique<qt::KeychainPassword>(
            question.port(), std::make_unique<test::FakeSecretStore>(store));
        dialog->pins = std::make_unique<dav::MemoryCertificatePins>();
        dialog->limits.timeoutMs = 10000;
        return dialog;
    }

    template <class T>
    T* Find(TAbgleichF* d, const char* name) {
        T* w = d->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void TypeAccount(TAbgleichF* d, const QString& server, const QString& password) {
        Find<QLineEdit>(d, "EditServer")->clear();
        QTest::keyClicks(Find<QLineEdit>(d, "EditServer"), server);
        Find<QLineEdit>(d, "EditBenutzer")->clear();
        QTest::keyClicks(Find<QLineEdit>(d, "EditBenutzer"), kUser);
        QTest::keyClicks(Find<QLineEdit>(d, "EditPasswort"), password);
    }

    bool Click(TAbgleichF* d, const char* button) {
        QTest::mouseClick(Find<QPushButton>(d, button), Qt::LeftButton);
        return QTest::qWaitFor([d] { return !d->Busy(); }, 30000);
    }

    QStringList Books(TAbgleichF* d) {
        QStringList names;
        auto* list = Find<QListWidget>(d, "ListAdressbuecher");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }

    void Tick(TAbgleichF* d, const QString& name) {
        auto* list = Find<QListWidget>(d, "ListAdressbuecher");
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        found.first()->setCheckState(Qt::Checked);
    }

    void TickCalendar(TAbgleichF* d, const QString& name) {
        auto* list = Find<QListWidget>(d, "ListKalender");
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        found.first()->setCheckState(Qt::Checked);
        list->setCurrentItem(found.first());
    }
    QStringList Calendars(TAbgleichF* d) {
        QStringList names;
        auto* list = Find<QListWidget>(d, "ListKalender");
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "");
        return names;
    }

    QString Memo(TAbgleichF* d) { return Find<QPlainTextEdit>(d, "MemoProtokoll")->toPlainText(); }

    static std::vector<std::string> Names(const FileView& v) {
        std::vector<std::string> names;
        for (int r = 1; r <= v.count; ++r)
            names.push_back(v.rows[static_cast<std::size_t>(r)][Vorname].asText() + " " +
                            v.rows[static_cast<std::size_t>(r)][Nachname].asText() + " " +
                            v.rows[static_cast<std::size_t>(r)][TerminAm].asText());
        std::sort(names.begin(), names.end());
        return names;
    }

    void AddUnsavedEntry() {
        EntryCount = 2;
        ResizeEntryTable(2);
        EntryTable.row(2) = test::MakeRow({"Neu", "Eintrag", "01.02.2003"});
        Modified = 1;
    }

    QString Base() const { return server->base().toString(); }

    static test::Radicale* server;
    static std::string startFailure;
    std::string current;
    TGebF* main = nullptr;
    test::FakeSecretStore::Shared store;
    test::ScriptedQuestion question;
};

test::Radicale* ServerSyncDialog::server = nullptr;
std::string ServerSyncDialog::startFailure;

TEST_F(ServerSyncDialog, FindsTheAddressBooksAndBringsTheTickedOneIntoTheCurrentFile) {
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal()) << "the program must stay usable";
    EXPECT_EQ(Find<QLineEdit>(d, "EditDatei")->text().toStdString(), current);
    TypeAccount(d, Base(), kPassword);

    ASSERT_TRUE(Click(d, "BtnPruefen"));
    EXPECT_EQ(Books(d), (QStringList{"Arbeit", "Familie"})) << Memo(d).toStdString();
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "2 Adreßbücher gefunden.");
    Tick(d, "Familie");
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));

    EXPECT_EQ(Names(ReadBack(current)),
              (std::vector<std::string>{"Berta Adam 15.03.1970", "Karl Berg 24.12.1950"}))
        << Memo(d).toStdString();
    EXPECT_EQ(EntryCount, 2) << "the table shows the file as the run saved it";
    EXPECT_EQ(Modified, 0);
    auto* sg = main->findChild<QTableView*>("SG");
    EXPECT_EQ(sg->model()->rowCount(), 2);
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Abgleich beendet.");
    EXPECT_FALSE(Memo(d).isEmpty());

    // The account is kept for the next time, the password only in the store.
    const dav::SyncSettings kept = dav::LoadSyncSettings();
    EXPECT_EQ(kept.server, Base());
    EXPECT_EQ(kept.user, kUser);
    EXPECT_EQ(kept.addressBooks, QStringList{Base() + "anna/familie/"});
    EXPECT_EQ(kept.target.toStdString(), current);
    ASSERT_FALSE(store.writes.empty());
    EXPECT_EQ(store.writes.back().second, kPassword);
    const QString settingsFolder = QFileInfo(QSettings(QSettings::IniFormat, QSettings::UserScope, "x").fileName()).path();
    for (const QString& folder : {settingsFolder, QString::fromStdString(dir.path())}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            EXPECT_EQ(ReadWholeFile(file.toStdString()).value_or("").find("geheim"), std::string::npos)
                << "the password is in " << file.toStdString();
        }
    }
    EXPECT_TRUE(question.prompts.empty());
}

TEST_F(ServerSyncDialog, AWrongPasswordIsAskedForAgainAndOnlyTheRightOneIsStored) {
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, Base(), "falsch");
    question.answers = {kPassword};
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    EXPECT_EQ(Books(d), (QStringList{"Arbeit", "Familie"})) << Memo(d).toStdString();
    ASSERT_EQ(question.prompts.size(), 1u);
    EXPECT_TRUE(question.prompts[0].startsWith("Der Server hat das Passwort abgelehnt.")) << question.prompts[0].toStdString();
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(store.writes[0].second, kPassword);

    // Cancelled: the check ends with a message, not with a hang.
    Find<QLineEdit>(d, "EditPasswort")->setText("auchfalsch");
    question.answers = {std::nullopt};
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Keine Verbindung.");
    EXPECT_FALSE(Memo(d).isEmpty());
}

TEST_F(ServerSyncDialog, AChangedCurrentFileIsOfferedForSavingBeforeTheRun) {
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, Base(), kPassword);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    Tick(d, "Familie");
    AddUnsavedEntry();
    platform.queueAnswer(Answer::Yes);
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "->" + current + " Datei wurde geändert !\r\nABSPEICHERN ?");
    EXPECT_EQ(Names(ReadBack(current)), (std::vector<std::string>{"Berta Adam 15.03.1970", "Karl Berg 24.12.1950",
                                                                   "Neu Eintrag 01.02.2003"}));
}

TEST_F(ServerSyncDialog, ARunIntoAnotherFileGivesTheCurrentFileItsUnsavedEntriesBack) {
    const std::string other = data + "Arbeit.tmf";
    test::WriteAppointmentFileBytes(other, test::AppointmentFileBytes(std::vector<EntrySpec>{}, "07.12.2026"));
    const std::string before = ReadWholeFile(current).value_or("");
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, Base(), kPassword);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    Tick(d, "Arbeit");
    platform.queueFile(other);
    QTest::mouseClick(Find<QPushButton>(d, "BtnDatei"), Qt::LeftButton);
    EXPECT_EQ(Find<QLineEdit>(d, "EditDatei")->text().toStdString(), other);

    AddUnsavedEntry();
    platform.queueAnswer(Answer::No);
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    EXPECT_EQ(Names(ReadBack(other)), std::vector<std::string>{"Otto Ruhig 20.03.1960"}) << Memo(d).toStdString();
    EXPECT_EQ(ReadWholeFile(current).value_or(""), before);
    // The main window still shows the current file, with the entry the user
    // chose not to save yet.
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(EntryTable(Vorname, 2).asText(), "Neu");
    EXPECT_EQ(main->findChild<QTableView*>("SG")->model()->rowCount(), 2);
}

TEST_F(ServerSyncDialog, NoRunWhileTheTableIsBusyAndNoPlainPasswordToAnotherComputerUnasked) {
    dav::SyncSettings s;
    s.server = Base();
    s.user = kUser;
    s.addressBooks = {Base() + "anna/familie/"};
    dav::SaveSyncSettings(s);
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Books(d), QStringList{Base() + "anna/familie/"}) << "the kept address books come back ticked";
    {
        TableOperation checkRunning;
        QTest::mouseClick(Find<QPushButton>(d, "BtnAbgleichen"), Qt::LeftButton);
    }
    EXPECT_FALSE(d->Busy());
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Die Prüfung läuft noch; danach abgleichen.");
    EXPECT_EQ(Names(ReadBack(current)), std::vector<std::string>{"Karl Berg 24.12.1950"});

    // Another server: the books found on the first one are no longer offered.
    TypeAccount(d, "http://dav.example.invalid/", "");
    EXPECT_TRUE(Books(d).isEmpty());
    platform.queueAnswer(Answer::No);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0],
              "Die Verbindung zu dav.example.invalid ist nicht verschlüsselt (http://).\r\n"
              "Das Passwort geht lesbar über das Netz.\r\n\r\nTrotzdem verbinden ?");
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Keine unverschlüsselte Verbindung.");
    EXPECT_FALSE(dav::LoadSyncSettings().allowPlainHttp);
}

TEST_F(ServerSyncDialog, AnUnknownCertificateIsShownWithItsFingerprintAndPinnedOnlyWhenAccepted) {
    test::Radicale tls(/*tls=*/true);
    QString why;
    ASSERT_TRUE(tls.start(&why)) << why.toStdString();
    const QByteArray sha256 = tls.fingerprint();
    const int port = tls.base().port();

    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, tls.base().toString(), kPassword);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    ASSERT_TRUE(Find<QWidget>(d, "GroupZertifikat")->isVisible()) << Memo(d).toStdString();
    EXPECT_EQ(Find<QLabel>(d, "LabelFingerabdruck")->text().replace('\n', ':'), dav::FormatFingerprint(sha256));
    EXPECT_FALSE(d->pins->pinned("127.0.0.1", port)) << "pinned before the user said so";

    // Refused: nothing pinned, the next check asks again.
    QTest::mouseClick(Find<QPushButton>(d, "BtnAblehnen"), Qt::LeftButton);
    EXPECT_FALSE(Find<QWidget>(d, "GroupZertifikat")->isVisible());
    EXPECT_FALSE(d->pins->pinned("127.0.0.1", port));
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    ASSERT_TRUE(Find<QWidget>(d, "GroupZertifikat")->isVisible());
    ASSERT_TRUE(Click(d, "BtnAnnehmen"));
    EXPECT_EQ(d->pins->pinned("127.0.0.1", port), sha256);
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Kein Adreßbuch gefunden.") << Memo(d).toStdString();

    // A server that shows another certificate later is refused with the
    // message that says so; taking the new one is a decision of its own.
    const QByteArray earlier(32, '\x11');
    d->pins->pin("127.0.0.1", port, earlier);
    platform.clearRecords();
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
    EXPECT_NE(platform.messages[0].text.find("hat sich geändert!"), std::string::npos) << platform.messages[0].text;
    EXPECT_NE(platform.messages[0].text.find(dav::FormatFingerprint(earlier).toStdString()), std::string::npos);
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Keine Verbindung.");
    ASSERT_TRUE(Find<QWidget>(d, "GroupZertifikat")->isVisible());
    EXPECT_EQ(Find<QGroupBox>(d, "GroupZertifikat")->title(), "Zertifikat geändert !");
    EXPECT_EQ(Find<QLabel>(d, "LabelFingerabdruck")->text().replace('\n', ':'), dav::FormatFingerprint(sha256));
    EXPECT_TRUE(Find<QPushButton>(d, "BtnAblehnen")->hasFocus() || !d->isActiveWindow());
    QTest::mouseClick(Find<QPushButton>(d, "BtnAblehnen"), Qt::LeftButton);
    EXPECT_EQ(d->pins->pinned("127.0.0.1", port), earlier);
    EXPECT_NE(Memo(d).indexOf("hat sich geändert!"), -1);
}

TEST_F(ServerSyncDialog, ReadsThenPublishesAndOnReopeningShowsBooksAndCalendarsByNameWithTheirFiles) {
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, Base(), kPassword);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    EXPECT_TRUE(Calendars(d).contains("Geburtstage")) << Calendars(d).join(',').toStdString();
    Tick(d, "Familie");
    TickCalendar(d, "Geburtstage");
    EXPECT_EQ(Find<QLineEdit>(d, "EditKalenderDatei")->text().toStdString(), current) << "the file of the address books";
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    const QString memo = Memo(d);
    const qsizetype read = memo.indexOf("Abgleich der Adreßbücher mit Familie.tmf");
    const qsizetype sent = memo.indexOf("Termine aus Familie.tmf im Kalender „Geburtstage“:\n2 Termine neu");
    EXPECT_NE(read, -1) << memo.toStdString();
    EXPECT_GT(sent, read) << "read first, then the file with the contact read sent" << memo.toStdString();
    EXPECT_EQ(Find<QLabel>(d, "LabelStatus")->text(), "Abgleich beendet.");
    EXPECT_EQ(EntryCount, 2) << "the current file shown as the reading saved it";
    EXPECT_EQ(main->findChild<QTableView*>("SG")->model()->rowCount(), 2);

    d->hide();
    TAbgleichF* again = Open();
    ASSERT_EQ(again, d);
    EXPECT_EQ(Books(again), QStringList{"Familie"});
    EXPECT_EQ(Calendars(again), QStringList{"Geburtstage+"});
    Find<QListWidget>(again, "ListKalender")->setCurrentRow(0);
    EXPECT_EQ(Find<QLineEdit>(again, "EditKalenderDatei")->text().toStdString(), current);
}

TEST_F(ServerSyncDialog, NeuerKalenderMakesOneAndAnEventChangedElsewhereIsAskedAboutInGerman) {
    TAbgleichF* d = Open();
    ASSERT_NE(d, nullptr);
    TypeAccount(d, Base(), kPassword);
    ASSERT_TRUE(Click(d, "BtnPruefen"));
    ASSERT_TRUE(Click(d, "BtnNeuerKalender"));
    const QStringList calendars = Calendars(d);
    ASSERT_TRUE(calendars.contains("Termifolio98+")) << calendars.join(',').toStdString() << Memo(d).toStdString();
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    ASSERT_NE(Memo(d).indexOf("1 Termin neu"), -1) << Memo(d).toStdString();

    // On the phone the event gets another title; here the entry another lead.
    const QUrl calendar = dav::LoadSyncSettings().calendars.value(0).url;
    ASSERT_TRUE(calendar.isValid());
    const QUrl event = calendar.resolved(QUrl(QString::fromStdString(
        EventHref("", EntryUid("Karl", "Berg", "Geburtstag", 0)).substr(1))));
    test::HttpAnswer held = test::Http("GET", event, {}, {}, kUser, kPassword);
    ASSERT_EQ(held.status, 200);
    held.body.replace("SUMMARY:Karl Berg: Geburtstag", "SUMMARY:Opa Karl");
    ASSERT_LT(test::Http("PUT", event, held.body, {{"Content-Type", "text/calendar"}}, kUser, kPassword).status, 300);
    test::WriteAppointmentFileBytes(
        current, test::AppointmentFileBytes({{"Karl", "Berg", "24.12.1950", "Geburtstag", 5}}, "07.12.2026", 0, 2));
    ASSERT_EQ(LoadAppointmentFile(current, "Alles"), LoadResult::Loaded);

    platform.clearRecords();
    platform.queueAnswer(Answer::No);
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    ASSERT_EQ(platform.questions.size(), 1u) << Memo(d).toStdString();
    EXPECT_EQ(platform.questions[0],
              "Der Termin „Karl Berg: Geburtstag“ im Kalender „Termifolio98“ wurde anderswo geändert.\r\n\r\n"
              "Mit dem Stand aus der Datei überschreiben ?\r\n(Nein: der Termin bleibt, wie er auf dem Server ist.)");
    EXPECT_NE(test::Http("GET", event, {}, {}, kUser, kPassword).body.indexOf("SUMMARY:Opa Karl"), -1);
    EXPECT_NE(Memo(d).indexOf("1 Termin nach Rückfrage wie auf dem Server belassen"), -1) << Memo(d).toStdString();

    // Kept: not asked again until the entry changes; then overwritten on Ja.
    platform.clearRecords();
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    EXPECT_TRUE(platform.questions.empty());
    test::WriteAppointmentFileBytes(
        current, test::AppointmentFileBytes({{"Karl", "Berg", "24.12.1950", "Geburtstag", 6}}, "07.12.2026", 0, 2));
    ASSERT_EQ(LoadAppointmentFile(current, "Alles"), LoadResult::Loaded);
    platform.clearRecords();
    ASSERT_TRUE(Click(d, "BtnAbgleichen"));
    EXPECT_TRUE(platform.questions.empty()) << "the server's version the user kept is ours to change";
    EXPECT_NE(test::Http("GET", event, {}, {}, kUser, kPassword).body.indexOf("SUMMARY:Karl Berg: Geburtstag"), -1);
}
