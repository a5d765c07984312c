#pragma once
// One copy of the program per data folder. Two copies on the same folder
// would each write their own "Liste.dat" and header counts at their exit,
// and the last one would undo the other's changes. The first copy holds a
// lock file in the data folder and listens for later starts; a later start
// only asks it to come to the front and ends without touching any file.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace tmf::app {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // dataDir ends in "/".
    explicit SingleInstance(const QString& dataDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Result { Acquired, HeldByOther, NoLock };
    // NoLock: the folder cannot hold the lock file (missing, read-only); the
    // program then runs as before and reports its file errors itself.
    Result Acquire();
    // Asks the copy holding the lock to bring its window to the front.
    bool WakeRunningCopy(int timeoutMs = 2000) const;

    QString LockFileName() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

signals:
    void WakeRequested();

private:
    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

// Whether "Liste.dat" in dataDir asks for the background mode; read only,
// for a second start that must end quietly then.
bool BackgroundModeSet(const QString& dataDir);

// Brings the program's visible window to the front: the main window, or
// whatever modal window the running copy shows at the moment.
void RaiseProgramWindow(QWidget* mainWindow);

}  // namespace tmf::app
