#include "SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QWidget>

#include "Cell.h"
#include "ListFiles.h"
#include "State.h"

namespace tmf::app {

namespace {

// Derived from the folder, so that copies on different folders (and tests
// on their own temporary folders) never meet.
QString ServerNameFor(const QString& dataDir) {
    const QByteArray key = QDir::cleanPath(QDir(dataDir).absolutePath()).toUtf8();
    return QStringLiteral("termif98-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataDir, QObject* parent)
    : QObject(parent),
      lockPath_(dataDir + QStringLiteral(".termif98.lock")),
      serverName_(ServerNameFor(dataDir)),
      lock_(lockPath_) {
    // The program runs for hours: a lock must never go stale by its age,
    // only when the process that took it is gone (QLockFile checks the PID).
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Result SingleInstance::Acquire() {
    if (!lock_.tryLock(0)) {
        return lock_.error() == QLockFile::LockFailedError ? Result::HeldByOther : Result::NoLock;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is a crashed copy's leftover.
    QLocalServer::removeServer(serverName_);
    if (server_->listen(serverName_)) {
        connect(server_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = server_->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                s->disconnectFromServer();
            }
            emit WakeRequested();
        });
    }
    // Without the server later starts still end; they just cannot wake us.
    return Result::Acquired;
}

bool SingleInstance::WakeRunningCopy(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

bool BackgroundModeSet(const QString& dataDir) {
    QFile file(dataDir + QStringLiteral("Liste.dat"));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(64 * 1024);  // the settings lead the file
    const auto lines = SplitCrLfLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (lines.size() <= static_cast<std::size_t>(CheckInBackground)) return false;
    return StrToIntDef(DecodeListLine(lines[CheckInBackground]), 0) == 1;
}

void RaiseProgramWindow(QWidget* mainWindow) {
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr && mainWindow != nullptr && mainWindow->isVisible()) target = mainWindow;
    if (target == nullptr) return;  // nothing shown yet (or any more)
    if (target->isMinimized()) target->showNormal();
    target->raise();
    target->activateWindow();
}

}  // namespace tmf::app
