#include "XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tmf::qt {

namespace {

const QString kDefaultItemName = QStringLiteral("Termifolio98");

// The escapes of a key-file string value.
QString EscapeString(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString ItemNameOrDefault(const QString& itemName) {
    return itemName.trimmed().isEmpty() ? kDefaultItemName : itemName;
}

}  // namespace

QString AutostartFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QLatin1String("/.config");
    return QDir::cleanPath(base) + QLatin1String("/autostart/");
}

QString AutostartFileName(const QString& itemName) {
    QString name = ItemNameOrDefault(itemName);
    for (QChar& c : name) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
                           c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!plain) c = QLatin1Char('_');
    }
    return name + QLatin1String(".desktop");
}

QString QuoteExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The quoting rule applies after the string escapes have been undone,
    // so every backslash of the quoting is itself escaped here.
    return EscapeString(quoted).replace(QLatin1Char('%'), QLatin1String("%%"));
}

QString AutostartEntry(const QString& programPath, const QString& itemName) {
    QString entry;
    entry += QLatin1String("[Desktop Entry]\n");
    entry += QLatin1String("Type=Application\n");
    entry += QLatin1String("Version=1.0\n");
    entry += QLatin1String("Name=") + EscapeString(ItemNameOrDefault(itemName)) + QLatin1Char('\n');
    // Not QLatin1String: the umlaut stands here in UTF-8 and would be encoded twice.
    entry += QStringLiteral("Comment=Termine prüfen und an Geburtstage erinnern\n");
    entry += QLatin1String("Exec=") + QuoteExecArgument(programPath) + QLatin1Char('\n');
    entry += QLatin1String("Terminal=false\n");
    return entry;
}

bool XdgAutostart::Add(const std::string& programPath, const std::string& itemName) {
    if (programPath.empty()) return false;  // an entry that starts nothing
    const QString folder = AutostartFolder();
    if (!QDir().mkpath(folder)) return false;
    QSaveFile file(folder + AutostartFileName(QString::fromStdString(itemName)));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes =
        AutostartEntry(QString::fromStdString(programPath), QString::fromStdString(itemName)).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool XdgAutostart::Remove(const std::string& itemName) {
    const QString path = AutostartFolder() + AutostartFileName(QString::fromStdString(itemName));
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return QFile::remove(path);
}

}  // namespace tmf::qt
