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
    "haben, bleibt, und kein Eintrag wird gelöscht. Angegebene Werte werden für den\n"
    "nächsten Aufruf gemerkt (das Passwort nie).\n"
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
    "      --holen             liest die Adreßbücher in die Datei (so auch ohne Angabe)\n"
    "      --suchen            zeigt die Adreßbücher des Servers und ändert nichts\n"
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
                                              "--in", "--zertifikat"};
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
    if (c.discover && c.fetch) return QStringLiteral("--suchen und --holen gehen nur einzeln.");
    return {};
}

dav::SyncSettings MergeSettings(const dav::SyncSettings& kept, const SyncCommand& c) {
    dav::SyncSettings s = kept;
    if (!c.server.isEmpty() && dav::ServerUrl(c.server) != dav::ServerUrl(kept.server)) {
        s.server = c.server;
        s.addressBooks.clear();
        s.allowPlainHttp = false;
    }
    if (!c.user.isEmpty()) s.user = c.user;
    if (c.passwordCommandGiven) s.passwordCommand = c.passwordCommand;
    if (!c.addressBooks.isEmpty()) s.addressBooks = c.addressBooks;
    if (!c.target.isEmpty()) s.target = c.target;
    if (c.allowPlainHttp) s.allowPlainHttp = true;
    // An address book alone names its server.
    if (s.server.isEmpty() && !s.addressBooks.isEmpty()) {
        QUrl first = dav::ServerUrl(s.addressBooks.front());
        first.setPath(QStringLiteral("/"));
        s.server = first.toString();
    }
    return s;
}

}  // namespace tmf::sync
