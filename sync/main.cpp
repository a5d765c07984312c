// termif98-sync: the address-book sync of Termifolio98 and the publishing of
// its files to calendars, in a terminal, for timers. QtCore and QtNetwork only; the protocol and the decisions are the
// ones the windows use.
#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>

#include "CliPlatform.h"
#include "CalendarPublishRun.h"
#include "ContactSyncRun.h"
#include "Discovery.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "ProgramFolders.h"
#include "PasswordCommand.h"
#include "State.h"
#include "SyncLock.h"
#include "SyncOptions.h"

using namespace tmf;
using namespace tmf::dav;
using namespace tmf::sync;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLocked = 3;

void Out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void Err(const QString& text) {
    std::fflush(stdout);
    const QByteArray bytes = (QStringLiteral("termif98-sync: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

int Usage(const QString& text) {
    Err(text + QStringLiteral("\nHilfe mit: termif98-sync --help"));
    return kExitUsage;
}

// The current file of the check list, as the windowed program last left it.
QString CurrentFileOfCheckList() {
    const auto data = ReadWholeFile(DataDir + kCheckListFileName);
    if (!data) return {};
    const auto lines = SplitCrLfLines(*data);
    if (lines.size() <= static_cast<std::size_t>(kSettingsLineCount)) return {};
    return QString::fromStdString(DecodeListLine(lines[kSettingsLineCount]));
}

// What the user can do about a refused certificate, at a terminal.
QString CertificateHint(const DavError& e) {
    if (e.kind != DavErrorKind::TlsUntrusted && e.kind != DavErrorKind::TlsPinMismatch) return {};
    return QStringLiteral("Prüfen Sie den Fingerabdruck (etwa am Server mit: openssl x509 -noout -fingerprint "
                          "-sha256 -in ZERTIFIKAT) und nehmen Sie ihn an mit:\n  termif98-sync --zertifikat %1\n")
        .arg(FormatFingerprint(e.certificate.sha256));
}

DiscoveryResult RunDiscovery(DavClient& client) {
    DiscoveryResult result;
    QEventLoop loop;
    Discover(client, [&](const DiscoveryResult& r) {
        result = r;
        loop.quit();
    });
    loop.exec();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    cli::TerminalPlatform platform;
    platform.install();

    SyncCommand command;
    if (const QString error = ParseSyncCommand(QCoreApplication::arguments(), command); !error.isEmpty())
        return Usage(error);
    if (command.help) {
        Out(QString::fromUtf8(kSyncHelp));
        return 0;
    }
    if (command.version) {
        Out(QStringLiteral("termif98-sync %1\n").arg(QLatin1String(kVersionText)));
        return 0;
    }

    DataDir = cli::FindDataFolder();
    // The sync keeps its state there even when the windowed program has
    // never run; made private as the program makes it.
    MakeDataFolder(DataDir);
    // The windowed program may hold the same file and write it back; the
    // lock is taken before anything goes to the server.
    DataFolderLock lock;
    std::string why;
    switch (TakeDataFolderLock(lock, DataDir, "termif98-sync", &why)) {
        case LockOutcome::Taken: break;
        case LockOutcome::Held:
            Err(QStringLiteral("Termifolio98 arbeitet gerade mit den Daten in %1.\nEs wird nichts abgeglichen; "
                               "beenden Sie das Programm und versuchen Sie es erneut.")
                    .arg(QString::fromStdString(DataDir)));
            return kExitLocked;
        case LockOutcome::Failed:
            Err(QStringLiteral("Die Sperrdatei in %1 kann nicht angelegt werden: %2\nEs wird nichts abgeglichen.")
                    .arg(QString::fromStdString(DataDir), QString::fromStdString(why)));
            return kExitFailed;
    }

    SyncSettings settings = MergeSettings(LoadSyncSettings(), command);
    if (settings.target.isEmpty()) settings.target = CurrentFileOfCheckList();
    for (CalendarChoice& c : settings.calendars)
        if (c.file.isEmpty()) c.file = settings.target;
    // Without --holen or --senden both, reading first; a program set up only
    // to publish does not go looking for address books to read.
    const bool fetch = command.fetch || (!command.send && (!settings.addressBooks.isEmpty() || settings.calendars.isEmpty()));
    const bool send = command.send || (!command.fetch && !settings.calendars.isEmpty());
    if (settings.server.isEmpty()) return Usage(QStringLiteral("Welcher Server? Geben Sie --server URL an."));
    if (settings.target.isEmpty() && fetch && !command.discover)
        return Usage(QStringLiteral("Welche Termindatei? Geben Sie --in DATEI.tmf an."));
    if (send && settings.calendars.isEmpty())
        return Usage(QStringLiteral("Welcher Kalender? Geben Sie --kalender URL an."));
    for (const CalendarChoice& c : settings.calendars)
        if (send && c.file.isEmpty())
            return Usage(QStringLiteral("Welche Termindatei geht in %1? Geben Sie --in DATEI.tmf an.").arg(c.url));
    SaveSyncSettings(settings);

    Account account{settings.server, settings.user, settings.allowPlainHttp};
    PasswordCommand passwords(settings.passwordCommand);
    IniCertificatePins pins;
    DavClient client(account, passwords, pins);
    if (!command.fingerprint.isEmpty()) client.setAcceptedFingerprints({ParseFingerprint(command.fingerprint)});

    if (command.discover) {
        const DiscoveryResult found = RunDiscovery(client);
        if (found.error) {
            Err(found.error.message);
            Out(CertificateHint(found.error));
            return kExitFailed;
        }
        Out(QStringLiteral("Adreßbücher auf %1:\n").arg(ServerUrl(settings.server).host()));
        for (const DavCollection& c : found.addressBooks)
            Out(QStringLiteral("  %1  %2\n").arg(c.displayName, c.url.toString()));
        Out(QStringLiteral("Kalender für Termine auf %1:\n").arg(ServerUrl(settings.server).host()));
        for (const DavCollection& c : found.calendars)
            if (c.takesEvents) Out(QStringLiteral("  %1  %2\n").arg(c.displayName, c.url.toString()));
        return 0;
    }

    bool ok = true;
    platform.setFile({});
    if (fetch) {
        QList<QUrl> books;
        for (const QString& b : settings.addressBooks) books << QUrl(b);
        if (books.isEmpty()) {
            const DiscoveryResult found = RunDiscovery(client);
            if (found.error || found.addressBooks.isEmpty()) {
                Err(found.error ? found.error.message
                                : QStringLiteral("Auf %1 wurde kein Adreßbuch gefunden.").arg(settings.server));
                Out(CertificateHint(found.error));
                return kExitFailed;
            }
            Out(QStringLiteral("Adreßbücher auf %1:\n").arg(ServerUrl(settings.server).host()));
            for (const DavCollection& c : found.addressBooks)
                Out(QStringLiteral("  %1  %2\n").arg(c.displayName, c.url.toString()));
            // Kept, so that the next run asks only the books themselves.
            for (const DavCollection& c : found.addressBooks) {
                books << c.url;
                settings.addressBooks << c.url.toString();
                settings.addressBookNames << c.displayName;
            }
            SaveSyncSettings(settings);
            Out(QStringLiteral("(gemerkt; andere wählen Sie mit --adressbuch)\n\n"));
        }
        ContactSyncOptions options;
        options.target = settings.target;
        options.addressBooks = books;
        options.dataFolder = QString::fromStdString(DataDir);
        const ContactSyncResult result = RunContactSync(client, options);
        Out(result.summary);
        for (const BookFailure& f : result.failures) Out(CertificateHint(f.error));
        ok = result.ok;
    }
    if (send) {
        if (fetch) Out(QStringLiteral("\n"));
        PublishOptions options;
        for (const CalendarChoice& c : settings.calendars) options.targets << CalendarTarget{QUrl(c.url), c.file, c.name};
        options.dataFolder = QString::fromStdString(DataDir);
        // A conflict is the user's to decide, in the window: here it stays
        // as the server has it and is named.
        const PublishResult result = RunCalendarPublish(client, options);
        Out(result.summary);
        if (result.openConflicts > 0)
            Out(QStringLiteral("Anderswo geänderte Termine wurden nicht überschrieben; entscheiden Sie im Programm "
                               "unter „Server-Abgleich ...“.\n"));
        for (const CalendarFailure& f : result.failures) Out(CertificateHint(f.error));
        ok = ok && result.ok;
    }
    Out(QStringLiteral("Anfragen an den Server: %1\n").arg(client.requestsSent()));
    return ok ? 0 : kExitFailed;
}
