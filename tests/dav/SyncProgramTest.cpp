// termif98-sync run as a user or a timer runs it, against Radicale: what it
// keeps, what it says, how it ends, and that a run killed or cut off at any
// moment leaves the file whole and the next run converges.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <filesystem>

#include "DataLock.h"
#include "SyncProgramFixture.h"

namespace tmf::test {
namespace {

TEST_F(SyncProgram, KeepsTheGivenValuesButNeverThePasswordAndAsksOnceWhenNothingChanged) {
    ASSERT_TRUE(server.putMany(book, {{"a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n")},
                                      {"b.vcf", Card("u-b", "Bert", "Kurz", "BDAY:--0315\r\n")}}));
    const Outcome first = Run(Account() << "--holen");
    ASSERT_EQ(first.status, 0) << Text(first);
    EXPECT_NE(first.out.indexOf(QStringLiteral("Kontakte  %1").arg(book.toString())), -1) << Text(first);
    EXPECT_NE(first.out.indexOf(QStringLiteral("2 Einträge hinzugefügt")), -1) << Text(first);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|15.03.0101"}));
    const std::string ini = Ini();
    EXPECT_NE(ini.find("Benutzer=anna"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Adressbuecher=" + book.toString().toStdString()), std::string::npos) << ini;
    EXPECT_EQ(ini.find("geheim"), std::string::npos) << ini;
    EXPECT_EQ(Text(first).find("geheim"), std::string::npos);

    const std::string file = FileBytes();
    const Outcome second = Run({});
    ASSERT_EQ(second.status, 0) << Text(second);
    EXPECT_NE(second.out.indexOf(QStringLiteral("Anfragen an den Server: 1\n")), -1) << Text(second);
    EXPECT_EQ(FileBytes(), file);
}

TEST_F(SyncProgram, WrongPasswordOrFailingPasswordCommandEndsWithOneAndChangesNothing) {
    ASSERT_EQ(server.put(book, "a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n")), 201);
    const std::string file = FileBytes();
    struct Case {
        QString command;
        const char* message;
    };
    for (const Case& c : {Case{"echo falsch", "Benutzername oder Passwort abgelehnt (401)"},
                          Case{"exit 3", "Passwort-Befehl ist gescheitert (Rückgabewert 3)"},
                          Case{"true", "hat kein Passwort ausgegeben"}}) {
        SCOPED_TRACE(c.command.toStdString());
        const Outcome o = Run({"--server", server.base().toString(), "--benutzer", "anna", "--passwort-befehl",
                               c.command, "--adressbuch", book.toString(), "--in", QString::fromStdString(target)});
        EXPECT_EQ(o.status, 1) << Text(o);
        EXPECT_NE((o.out + o.err).indexOf(QString::fromUtf8(c.message)), -1) << Text(o);
        EXPECT_EQ(Text(o).find("falsch"), std::string::npos) << "a password is never shown";
        EXPECT_EQ(FileBytes(), file);
    }
}

TEST_F(SyncProgram, CallsItCannotUnderstandEndWithTwoAndHelpAndVersionWithZero) {
    for (const QStringList& call : {QStringList{"--unbekannt"}, QStringList{"--server"}, QStringList{"--zertifikat", "12:34"},
                                    QStringList{"--adressbuch", "https://server/"}, QStringList{"--holen", "--suchen"},
                                    QStringList{"--server", "ftp://server/"}, QStringList{"--holen=ja"}}) {
        const Outcome o = Run(call);
        EXPECT_EQ(o.status, 2) << call.join(' ').toStdString() << "\n" << Text(o);
        EXPECT_NE(o.err.indexOf(QStringLiteral("Hilfe mit: termif98-sync --help")), -1);
    }
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.indexOf(QStringLiteral("--passwort-befehl BEFEHL")), -1);
    const Outcome version = Run({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("termif98-sync 2.27\n"));
    EXPECT_EQ(Ini(), "") << "a wrong call keeps nothing";
}

TEST_F(SyncProgram, EndsWithThreeWhileTheWindowedProgramHoldsTheData) {
    DataLock lock;
    ASSERT_EQ(lock.take(home.path() + "daten/", kWindowedProgramName), DataLock::Result::Taken);
    const Outcome o = Run(Account());
    EXPECT_EQ(o.status, 3) << Text(o);
    EXPECT_NE(o.err.indexOf(QStringLiteral("Termifolio98 arbeitet gerade mit den Daten")), -1) << Text(o);
    lock.release();
    EXPECT_EQ(Run(Account()).status, 0);
}

QList<std::pair<QString, QByteArray>> People(int from, int to, int round) {
    QList<std::pair<QString, QByteArray>> cards;
    for (int i = from; i < to; ++i) {
        const QByteArray n = QByteArray::number(i);
        const int day = 1 + (i + round) % 28;
        cards.append({QStringLiteral("p%1.vcf").arg(i),
                      Card("u-" + n, "Kind", "Nummer" + n, QStringLiteral("BDAY:19%1-%2-%3\r\n")
                                                              .arg(50 + i % 50).arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                                              .arg(day, 2, 10, QLatin1Char('0')).toUtf8())});
    }
    return cards;
}

std::vector<std::string> Expected(int count, const std::map<int, int>& roundOf) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        const int round = roundOf.count(i) ? roundOf.at(i) : 0;
        out.push_back(QStringLiteral("Kind Nummer%1|Geburtstag|%2.%3.19%4").arg(i).arg(1 + (i + round) % 28, 2, 10, QLatin1Char('0'))
                          .arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(50 + i % 50).toStdString());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(SyncProgram, RunsKilledAtAnyMomentLeaveTheFileWholeAndTheNextRunConverges) {
    int count = 300;
    std::map<int, int> roundOf;
    ASSERT_TRUE(server.seed(book, People(0, count, 0)));
    // How long a whole first run takes here, to spread the kills over it.
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(Run(Account()).status, 0);
    const int whole = static_cast<int>(clock.elapsed());

    ASSERT_EQ(Entries(), Expected(count, roundOf));
    WriteAppointmentFileBytes(target, AppointmentFileBytes(std::vector<EntrySpec>{}, "10.06.2024"));
    DeleteFile(SyncStatePath(home.path() + "daten/", target));

    QRandomGenerator random(17);
    for (int round = 1; round <= 8; ++round) {
        // The server moves on between the runs: some changed, some new.
        QList<std::pair<QString, QByteArray>> changed;
        for (int k = 0; k < 3; ++k) {
            const int i = random.bounded(count);
            roundOf[i] = round;
            changed += People(i, i + 1, round);
        }
        changed += People(count, count + 2, 0);
        count += 2;
        ASSERT_TRUE(server.putMany(book, changed));
        const int at = random.bounded(whole + 1);
        const Outcome o = Run({}, at);
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms: " + Text(o));
        ASSERT_NE(Entries(), std::vector<std::string>{"(nicht ladbar)"});
    }
    const Outcome last = Run({});
    ASSERT_EQ(last.status, 0) << Text(last);
    EXPECT_EQ(Entries(), Expected(count, roundOf));
    const Outcome quiet = Run({});
    EXPECT_NE(quiet.out.indexOf(QStringLiteral("Anfragen an den Server: 1\n")), -1) << Text(quiet);
}

TEST_F(SyncProgram, ServerStoppedHalfWayFailsWithOneAndTheNextRunConverges) {
    ASSERT_TRUE(server.seed(book, People(0, 300, 0)));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.path()) + "config");
    p.setProcessEnvironment(env);
    p.start(program, Account());
    ASSERT_TRUE(p.waitForStarted());
    // Stopped once the program had time to ask its first question.
    QThread::msleep(120);
    server.stop();
    ASSERT_TRUE(p.waitForFinished(60'000));
    const QString said = p.readAllStandardOutput() + p.readAllStandardError();
    if (p.exitCode() != 0) {
        EXPECT_EQ(p.exitCode(), 1) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("nicht erreichbar")) || said.contains(QStringLiteral("mitten in der Antwort")))
            << said.toStdString();
    }
    ASSERT_NE(Entries(), std::vector<std::string>{"(nicht ladbar)"});
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    const Outcome next = Run({});
    ASSERT_EQ(next.status, 0) << Text(next);
    EXPECT_EQ(Entries(), Expected(300, {}));
}

}  // namespace
}  // namespace tmf::test
