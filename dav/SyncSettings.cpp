#include "SyncSettings.h"

#include <QSettings>

namespace tmf::dav {
QSettings ProgramIni() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Termifolio98"),
                     QStringLiteral("Termifolio98"));
}

SyncSettings LoadSyncSettings() {
    QSettings s = ProgramIni();
    s.beginGroup(QStringLiteral("Abgleich"));
    SyncSettings out;
    out.server = s.value(QStringLiteral("Server")).toString();
    out.user = s.value(QStringLiteral("Benutzer")).toString();
    out.passwordCommand = s.value(QStringLiteral("PasswortBefehl")).toString();
    out.addressBooks = s.value(QStringLiteral("Adressbuecher")).toStringList();
    out.target = s.value(QStringLiteral("Datei")).toString();
    out.allowPlainHttp = s.value(QStringLiteral("UnverschluesseltErlaubt"), false).toBool();
    return out;
}

void SaveSyncSettings(const SyncSettings& in) {
    QSettings s = ProgramIni();
    s.beginGroup(QStringLiteral("Abgleich"));
    s.setValue(QStringLiteral("Server"), in.server);
    s.setValue(QStringLiteral("Benutzer"), in.user);
    s.setValue(QStringLiteral("PasswortBefehl"), in.passwordCommand);
    s.setValue(QStringLiteral("Adressbuecher"), in.addressBooks);
    s.setValue(QStringLiteral("Datei"), in.target);
    s.setValue(QStringLiteral("UnverschluesseltErlaubt"), in.allowPlainHttp);
    s.endGroup();
    s.sync();
}

}  // namespace tmf::dav
