#pragma once
// Desktop notifications through the freedesktop notification service on the
// session bus. Without a bus or without the service nothing is shown and the
// program never waits for an answer: every call is asynchronous.
#include <QDBusConnection>
#include <QObject>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

#include "Ports.h"

namespace tmf::qt {

inline constexpr const char* kNotificationIcon = "termifolio98";

class DesktopNotifications : public QObject, public Notifications {
    Q_OBJECT
public:
    // busAddress empty: the user's session bus.
    explicit DesktopNotifications(QString busAddress = {}, QObject* parent = nullptr);
    ~DesktopNotifications() override;

    void Notify(const Notification& notification) override;

    // What a click on one of our notifications does (bring the main window
    // to the front).
    void setActivate(std::function<void()> activate) { activate_ = std::move(activate); }

    // "Notifications/enabled" in the program's own settings file; on unless
    // the user turned it off.
    static bool Enabled();

    // Notifications handed over and not yet answered (for tests).
    int pendingCalls() const { return pending_; }

private slots:
    void ActionInvoked(uint id, const QString& actionKey);

private:
    bool Connect();
    void Send(const Notification& notification);

    enum class Markup { Unknown, Asked, Plain, Escaped };
    Markup markup_ = Markup::Unknown;
    QList<Notification> waiting_;  // sent once the server has said whether it reads markup
    QString address_;
    QString connectionName_;
    bool tried_ = false;
    bool connected_ = false;
    QSet<uint> ours_;
    int pending_ = 0;
    std::function<void()> activate_;
};

}  // namespace tmf::qt
