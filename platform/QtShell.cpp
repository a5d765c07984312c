#include "QtShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tmf::qt {

namespace {

bool HasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(text).hasMatch() && !QDir::isAbsolutePath(text);
}

bool LooksLikeMailAddress(const QString& text) {
    static const QRegularExpression mail(QStringLiteral("^[^@\\s/:]+@[^@\\s/:]+$"));
    return mail.match(text).hasMatch();
}

bool LooksLikeWebAddress(const QString& text) {
    return text.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

}  // namespace

QUrl ShellUrl(const std::string& target, const std::string& folder) {
    const QString text = QString::fromStdString(target).trimmed();
    if (text.isEmpty()) return {};
    if (!folder.empty() && QDir::isRelativePath(text)) {
        const QFileInfo document(QDir(QString::fromStdString(folder)), text);
        if (document.exists()) return QUrl::fromLocalFile(document.absoluteFilePath());
    }
    if (QDir::isAbsolutePath(text)) {
        return QFileInfo::exists(text) ? QUrl::fromLocalFile(text) : QUrl();
    }
    if (LooksLikeMailAddress(text)) return QUrl(QStringLiteral("mailto:") + text);
    if (HasScheme(text) || LooksLikeWebAddress(text)) return QUrl::fromUserInput(text);
    // A plain name: with a folder it was meant as a document there, and
    // without one it is most likely a host name such as "example.de".
    if (!folder.empty()) return {};
    return QUrl::fromUserInput(text);
}

bool QtShell::Open(const std::string& target, const std::string& folder) {
    const QUrl url = ShellUrl(target, folder);
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace tmf::qt
