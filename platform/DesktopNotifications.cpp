#include "DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QSettings>
#include <QVariantMap>
#include <atomic>
#include <utility>

namespace tmf::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
// A notification service that takes longer than this is not waited for.
constexpr int kCallTimeoutMs = 3000;

// Whether a session bus can be reached at all, without letting the D-Bus
// library try to launch one (which can wait for an X server).
bool SessionBusKnown() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

DesktopNotifications::DesktopNotifications(QString busAddress, QObject* parent)
    : QObject(parent), address_(std::move(busAddress)) {
    static std::atomic<int> count{0};
    connectionName_ = QStringLiteral("termif98-notifications-%1").arg(++count);
}

DesktopNotifications::~DesktopNotifications() {
    if (connected_) QDBusConnection::disconnectFromBus(connectionName_);
}

bool DesktopNotifications::Enabled() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Termifolio98", "Termifolio98");
    return settings.value("Notifications/enabled", true).toBool();
}

bool DesktopNotifications::Connect() {
    if (tried_) return connected_;
    tried_ = true;
    if (address_.isEmpty() && !SessionBusKnown()) return false;
    QDBusConnection bus = address_.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)
                                             : QDBusConnection::connectToBus(address_, connectionName_);
    connected_ = bus.isConnected();
    if (!connected_) {
        QDBusConnection::disconnectFromBus(connectionName_);
        return false;
    }
    // Any sender: the service's unique name changes when it restarts.
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
    return true;
}

void DesktopNotifications::Notify(const Notification& n) {
    if (!Enabled() || !Connect()) return;
    if (markup_ == Markup::Plain || markup_ == Markup::Escaped) {
        Send(n);
        return;
    }
    waiting_.append(n);
    if (markup_ == Markup::Asked) return;
    // A server that reads markup in the body would take a "<" or "&" in a
    // name for markup; it says so among its capabilities.
    markup_ = Markup::Asked;
    QDBusConnection bus(connectionName_);
    const QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask, kCallTimeoutMs), this);
    ++pending_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QStringList> reply = *w;
        --pending_;
        w->deleteLater();
        if (reply.isError()) {
            // No service: nothing is shown, and the next check asks again.
            markup_ = Markup::Unknown;
            waiting_.clear();
            return;
        }
        markup_ = reply.value().contains(QStringLiteral("body-markup")) ? Markup::Escaped : Markup::Plain;
        const auto waiting = std::exchange(waiting_, {});
        for (const auto& n : waiting) Send(n);
    });
}

void DesktopNotifications::Send(const Notification& n) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QString body = QString::fromStdString(n.body);
    if (markup_ == Markup::Escaped) body = body.toHtmlEscaped();
    call << QStringLiteral("Termifolio98") << uint(0) << QString::fromLatin1(kNotificationIcon)
         << QString::fromStdString(n.summary) << body
         << QStringList{kDefaultAction, QStringLiteral("Anzeigen")} << QVariantMap{} << int(-1);
    QDBusConnection bus(connectionName_);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    ++pending_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) ours_.insert(reply.value());
        --pending_;
        w->deleteLater();
    });
}

void DesktopNotifications::ActionInvoked(uint id, const QString& actionKey) {
    if (!ours_.contains(id) || actionKey != kDefaultAction) return;
    if (activate_) activate_();
}

}  // namespace tmf::qt
