#include "SyncOptions.h"

#include <QDir>
#include <QFileInfo>

#include "DavTypes.h"

namespace tmf::sync {

const char* const kSyncHelp =
    "Aufruf: termif98-sync [Optionen]\n"
    "\n"
    "Holt die Geburts- und Jahrestage aus den Adreßbüchern eines CardDAV-Servers in\n"
    "eine Termindatei von Termifolio98 und hält sie dort auf dem Stand: neue Kontakte\n"
    "kommen hinzu, geänderte ändern ihre Einträge; was Sie in der Datei geändert\n"
    "haben, bleibt, und kein Eintrag wird gelöscht. Sendet die Termine einer Datei\n"
    "in einen CalDAV-Kalender, mit ihren Vorwarnungen als Erinnerungen, so daß jedes\n"
    "Gerät, das den Kalender liest, sie zeigt. Ohne --holen und --senden tut der\n"
    "Befehl beides, erst das Holen. Angegebene Werte werden für den nächsten Aufruf\n"
    "gemerkt (das Passwort nie).\n"
    "\n"
    "      --server URL        Adresse des Servers (https://server oder eine volle URL)\n"
    "      --benutzer NAME     Benutzername am Server\n"
    "      --passwort-befehl BEFEHL\n"
    "                          Befehl (über /bin/sh -c), dessen erste Ausgabezeile\n"
    "                          das Passwort ist; ohne ihn wird am Terminal gefragt\n"
    "      --adressbuch URL    volle Adresse eines Adreßbuchs, auch mehrmals; ohne\n"
    "                          Angabe werden die Adreßbücher des Servers gesucht\n"
    "      --in DATEI.tmf      die Termindatei (ohne Angabe: die gemerkte, sonst die\n"
    "                          aktuelle Datei der Prüfliste)\n"
    "      --kalender URL      volle Adresse eines Kalenders, in den die Datei (--in)\n"
    "                          gesendet wird, auch mehrmals\n"
    "      --holen             liest nur die Adreßbücher in die Datei\n"
    "      --senden            sendet nur die Termine in die Kalender; auf dem Server\n"
    "                          geänderte Termine werden nicht überschrieben, sondern\n"
    "                          genannt (Rückgabewert 1; entscheiden Sie im Programm)\n"
    "      --suchen            zeigt Adreßbücher und Kalender des Servers und ändert\n"
    "                          nichts\n"
    "      --zertifikat FINGERABDRUCK\n"
    "                          nimmt das Zertifikat des Servers mit diesem SHA-256-\n"
    "                          Fingerabdruck an, auch wenn das System es nicht bestätigt\n"
    "      --unverschluesselt  erlaubt http:// zu einem anderen Rechner; das Passwort\n"
    "                          geht dann unverschlüsselt durchs Netz\n"
    "  -h, --help              zeigt diese Hilfe\n"
    "  -V, --version           zeigt die Version\n"
    "\n"
    "Rückgabewert: 0 erledigt, 1 ein Server oder die Datei hat versagt, 2 falscher\n"
    "Aufruf, 3 Termifolio98 arbeitet gerade mit den Daten.\n";

QString ParseSyncCommand(const QStringList& arguments, SyncCommand& c) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString arg = arguments[i];
        QString name = arg, value;
        bool hasValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            hasValue = true;
        }
        static const QStringList withValue = {"--server", "--benutzer", "--passwort-befehl", "--adressbuch",
                                              "--in", "--zertifikat", "--kalender"};
        const bool takesValue = withValue.contains(name);
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) return QStringLiteral("Bei %1 fehlt der Wert.").arg(name);
            value = arguments[++i];
        } else if (!takesValue && hasValue) {
            return QStringLiteral("Unbekannte Option: %1").arg(arg);
        }
        if (name == QLatin1String("-h") || name == QLatin1String("--help")) c.help = true;
        else if (name == QLatin1String("-V") || name == QLatin1String("--version")) c.version = true;
        else if (name == QLatin1String("--holen")) c.fetch = true;
        else if (name == QLatin1String("--senden")) c.send = true;
        else if (name == QLatin1String("--suchen")) c.discover = true;
        else if (name == QLatin1String("--unverschluesselt")) c.allowPlainHttp = true;
        else if (name == QLatin1String("--server")) {
            if (!dav::ServerUrl(value).isValid()) return QStringLiteral("„%1“ ist keine gültige Server-Adresse.").arg(value);
            c.server = value.trimmed();
        } else if (name == QLatin1String("--benutzer")) c.user = value;
        else if (name == QLatin1String("--passwort-befehl")) {
            c.passwordCommand = value;
            c.passwordCommandGiven = true;
        } else if (name == QLatin1String("--adressbuch")) {
            const QUrl url = dav::ServerUrl(value);
            if (!url.isValid() || url.path() == QLatin1String("/"))
                return QStringLiteral("„%1“ ist keine volle Adresse eines Adreßbuchs (https://server/pfad/).").arg(value);
            c.addressBooks << url.toString();
        } else if (name == QLatin1String("--kalender")) {
            const QUrl url = dav::ServerUrl(value);
            if (!url.isValid() || url.path() == QLatin1String("/"))
                return QStringLiteral("„%1“ ist keine volle Adresse eines Kalenders (https://server/pfad/).").arg(value);
            c.calendars << url.toString();
        } else if (name == QLatin1String("--in")) {
            if (value.isEmpty()) return QStringLiteral("Bei --in fehlt die Termindatei.");
            c.target = QFileInfo(value).absoluteFilePath();
        } else if (name == QLatin1String("--zertifikat")) {
            if (dav::ParseFingerprint(value).isEmpty())
                return QStringLiteral("„%1“ ist kein SHA-256-Fingerabdruck (64 Hexadezimalziffern).").arg(value);
            c.fingerprint = value;
        } else {
            return QStringLiteral("Unbekannte Option: %1").arg(arg);
        }
    }
    if (c.discover && (c.fetch || c.send)) return QStringLiteral("--suchen geht nur allein, ohne --holen und --senden.");
    return {};
}

dav::SyncSettings MergeSettings(const dav::SyncSettings& kept, const SyncCommand& c) {
    dav::SyncSettings s = kept;
    if (!c.server.isEmpty() && dav::ServerUrl(c.server) != dav::ServerUrl(kept.server)) {
        s.server = c.server;
        s.addressBooks.clear();
        s.addressBookNames.clear();
        s.calendars.clear();
        s.allowPlainHttp = false;
    }
    if (!c.user.isEmpty()) s.user = c.user;
    if (c.passwordCommandGiven) s.passwordCommand = c.passwordCommand;
    if (!c.addressBooks.isEmpty() && c.addressBooks != s.addressBooks) {
        s.addressBooks = c.addressBooks;
        s.addressBookNames.clear();
    }
    if (!c.target.isEmpty()) s.target = c.target;
    for (const QString& url : c.calendars) {
        const QString key = dav::ServerUrl(url).toString();
        auto same = [&](const dav::CalendarChoice& k) { return dav::ServerUrl(k.url).toString() == key; };
        QString name;
        for (const dav::CalendarChoice& k : s.calendars)
            if (same(k)) name = k.name;
        s.calendars.removeIf(same);
        s.calendars << dav::CalendarChoice{key, name, s.target};
    }
    if (c.allowPlainHttp) s.allowPlainHttp = true;
    // An address book alone names its server.
    if (s.server.isEmpty() && (!s.addressBooks.isEmpty() || !s.calendars.isEmpty())) {
        QUrl first = dav::ServerUrl(s.addressBooks.isEmpty() ? s.calendars.front().url : s.addressBooks.front());
        first.setPath(QStringLiteral("/"));
        s.server = first.toString();
    }
    return s;
}

}  // namespace tmf::sync
