// Desktop notifications over a private session bus with a notification
// service of our own on it: what reaches the service, what a click on the
// notification does, and that nothing waits when there is no service.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariantMap>

#include "AppointmentFile.h"
#include "CheckRun.h"
#include "DesktopNotifications.h"
#include "PlatformTestSupport.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "TempDir.h"

namespace tmf::test {
namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app, icon, summary, body;
        QStringList actions;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.append({app, icon, summary, body, actions});
        return 40u + static_cast<uint>(calls.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    void CloseNotification(uint) {}
};

// Waits while events are served, up to ten seconds.
template <class Condition>
bool ServeUntil(Condition done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class Notifications : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus.waitForReadyRead(10000)) << "dbus-daemon (package dbus-daemon) did not start";
        address = QString::fromUtf8(bus.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
        platform.install();
        ResetProgramState();
        DataDir = dir.path();
        SoundDir = dir.path();
    }
    void TearDown() override {
        if (registered) QDBusConnection::disconnectFromBus(QStringLiteral("fake-service"));
        bus.kill();
        bus.waitForFinished(5000);
        ResetProgramState();
    }
    void StartService() {
        QDBusConnection c = QDBusConnection::connectToBus(address, QStringLiteral("fake-service"));
        ASSERT_TRUE(c.isConnected());
        ASSERT_TRUE(c.registerObject(kPath, &service, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(c.registerService(QStringLiteral("org.freedesktop.Notifications")));
        registered = true;
    }
    void ClickOn(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
        signal << id << action;
        QDBusConnection(QStringLiteral("fake-service")).send(signal);
    }

    QTemporaryDir config;
    QProcess bus;
    QString address;
    bool registered = false;
    FakeNotificationService service;
    ScriptedPlatform platform;
    TempDir dir;
};

TEST_F(Notifications, CheckWithFindingsSendsSummaryBodyIconAndAnActionThatActivates) {
    StartService();
    qt::DesktopNotifications notifications(address);
    int activated = 0;
    notifications.setActivate([&activated] { ++activated; });
    ThePlatform().notifications = &notifications;

    const std::string path = dir.file("Termine.tmf");
    const std::vector<EntrySpec> entries = {
        {.vorname = "Anna", .nachname = "Müller & <Co>", .termin = "15.06.1990"},
        {.vorname = "Bert", .nachname = "Berg", .termin = "17.06.1990", .warnung1 = 3},
    };
    WriteAppointmentFileBytes(path, AppointmentFileBytes(entries, "14.06.2024"));
    CheckList(0) = path;
    CheckDates("Auto");

    ASSERT_TRUE(ServeUntil([&] { return !service.calls.isEmpty() && notifications.pendingCalls() == 0; }));
    ASSERT_EQ(service.calls.size(), 1);
    const auto& call = service.calls[0];
    EXPECT_EQ(call.app, "Termifolio98");
    EXPECT_EQ(call.icon, qt::kNotificationIcon);
    EXPECT_EQ(call.summary, "Termifolio98: 1 Termin(e) , 1 Warnung(en)");
    // The service reads no markup, so the body goes as plain text.
    EXPECT_EQ(call.body.toStdString(),
              "Termine.tmf\nAnna Müller & <Co>, hat Heute Geburtstag !\nBert Berg, hat in 2 Tag(en) Geburtstag !");
    ASSERT_GE(call.actions.size(), 2);
    EXPECT_EQ(call.actions[0], "default");

    ClickOn(99, "default");  // another program's notification
    ClickOn(41, "anders");
    ClickOn(41, "default");
    ASSERT_TRUE(ServeUntil([&] { return activated > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(activated, 1);
    ThePlatform().notifications = nullptr;
}

TEST_F(Notifications, WithoutServiceOrBusOrWhenTurnedOffNothingIsShownOrAwaited) {
    qt::DesktopNotifications noService(address);
    noService.Notify({"Termifolio98: 1 Termin heute", "x"});
    // The call was handed over and comes back as an error; nothing blocks.
    EXPECT_TRUE(ServeUntil([&] { return noService.pendingCalls() == 0; }));

    qt::DesktopNotifications noBus(QStringLiteral("unix:path=/nonexistent/termif98-bus"));
    noBus.Notify({"Termifolio98: 1 Termin heute", "x"});
    EXPECT_EQ(noBus.pendingCalls(), 0);

    StartService();
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Termifolio98", "Termifolio98");
        settings.setValue("Notifications/enabled", false);
    }
    EXPECT_FALSE(qt::DesktopNotifications::Enabled());
    qt::DesktopNotifications off(address);
    off.Notify({"Termifolio98: 1 Termin heute", "x"});
    EXPECT_EQ(off.pendingCalls(), 0);
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Termifolio98", "Termifolio98");
        settings.remove("Notifications/enabled");
    }
    EXPECT_TRUE(qt::DesktopNotifications::Enabled());
    off.Notify({"Termifolio98: 2 Hinweise", "y"});
    ASSERT_TRUE(ServeUntil([&] { return service.calls.size() == 1; }));
    EXPECT_EQ(service.calls[0].summary, "Termifolio98: 2 Hinweise");
}

}  // namespace
}  // namespace tmf::test

#include "PlatformNotificationsTest.moc"
