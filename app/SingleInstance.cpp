#include "SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include "Cell.h"
#include "ListFiles.h"
#include "State.h"

namespace tmf::app {

namespace {

// Derived from the folder, so that copies on different folders (and tests
// on their own temporary folders) never meet. The socket lives in the
// user's own runtime folder (0700, checked by Qt): in the shared temporary
// folder another user could take the name first and answer for a copy
// that does not run.
QString ServerNameFor(const QString& dataDir) {
    const QByteArray key = QDir::cleanPath(QDir(dataDir).absolutePath()).toUtf8();
    const QString name = QStringLiteral("termif98-") +
                         QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

}  // namespace

// A later start asking the running copy to come to the front sends this;
// a start that only looks whether a copy runs sends nothing.
constexpr char kWake = 'W';

SingleInstance::SingleInstance(const QString& dataDir, QObject* parent)
    : QObject(parent), dataDir_(dataDir), serverName_(ServerNameFor(dataDir)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Result SingleInstance::Acquire(int waitMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        switch (lock_.take(dataDir_.toStdString(), kWindowedProgramName)) {
            case DataLock::Result::Taken: Listen(); return Result::Acquired;
            case DataLock::Result::Failed: return Result::NoLock;
            case DataLock::Result::Held: break;
        }
        // The lock is never stale: only the kernel gives it back, when its
        // holder ends, so however long ago it was taken it stays refused.
        if (RunningCopyAnswers()) return Result::HeldByOther;
        if (waited.elapsed() >= waitMs) return Result::HeldWithoutAnswer;
        QThread::msleep(50);
    }
}

void SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is a crashed copy's leftover.
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) return;  // later starts still end; they just cannot wake us
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains(kWake)) emit WakeRequested();
                s->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::Contact(bool wake, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    if (wake) {
        socket.write(&kWake, 1);
        socket.waitForBytesWritten(timeoutMs);
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::WakeRunningCopy(int timeoutMs) const { return Contact(true, timeoutMs); }

bool SingleInstance::RunningCopyAnswers(int timeoutMs) const { return Contact(false, timeoutMs); }

QString SingleInstance::HolderText() const {
    const auto holder = ReadLockHolder(dataDir_.toStdString());
    // The text is anybody's who could write the file: only our own two
    // names are shown.
    if (holder && (holder->program == kCheckProgramName || holder->program == kWindowedProgramName))
        return QStringLiteral("%1 (Prozeß %2)").arg(QString::fromStdString(holder->program)).arg(holder->pid);
    return QStringLiteral("einem anderen Programm");
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
