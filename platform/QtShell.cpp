#include "QtShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

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
    if (!url.isValid()) return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(url);

    // Parented to the application: the opener may outlive this call, and a
    // QProcess that is destroyed kills what it runs.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    if (!folder.empty()) process->setWorkingDirectory(QString::fromStdString(folder));

    QEventLoop loop;
    bool ended = false;
    bool failed = false;
    QObject::connect(process, &QProcess::finished, &loop, [&](int code, QProcess::ExitStatus status) {
        ended = true;
        failed = status != QProcess::NormalExit || code != 0;
        loop.quit();
    });
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        ended = true;
        failed = true;
        loop.quit();
    });
    QTimer::singleShot(answerWait_, &loop, &QEventLoop::quit);
    process->start();
    if (!ended) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (ended) {
        process->deleteLater();
        return !failed;
    }
    QObject::disconnect(process, nullptr, &loop, nullptr);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
}

}  // namespace tmf::qt
