// Shell targets, the desktop queries the engine makes, the clock, and the
// German set-up of the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

#include <QElapsedTimer>

#include <chrono>
#include <filesystem>
#include <thread>
#include <memory>

#include "PlatformTestSupport.h"
#include "QtPlatform.h"
#include "TempDir.h"

using tmf::qt::ShellUrl;

TEST(PlatformShell, ADocumentInTheFolderOpensAsALocalFile) {
    tmf::test::TempDir dir;
    dir.write("Beschreibung.doc", "{\\rtf1 }");
    EXPECT_EQ(ShellUrl("Beschreibung.doc", dir.path()),
              QUrl::fromLocalFile(QString::fromStdString(dir.file("Beschreibung.doc"))));
}

TEST(PlatformShell, AMissingDocumentOpensNothingRatherThanAWebAddress) {
    tmf::test::TempDir dir;
    EXPECT_FALSE(ShellUrl("TermifolioIntern.rtf", dir.path()).isValid());
    EXPECT_FALSE(tmf::qt::QtShell().Open("TermifolioIntern.rtf", dir.path()));
    EXPECT_FALSE(ShellUrl(dir.file("weg.doc"), "").isValid());
    EXPECT_FALSE(ShellUrl("  ", "").isValid());
}

// The opener's exit code tells whether a program took the document; a
// fake xdg-open first on PATH plays the desktop.
TEST(PlatformShell, OpenReportsWhetherAProgramTookTheDocument) {
    tmf::test::TempDir dir;
    dir.write("Beschreibung.doc", "{\\rtf1 }");
    std::filesystem::create_directory(dir.file("bin"));
    const std::string opener = dir.file("bin/xdg-open");
    tmf::test::ScopedEnv path("PATH", QByteArray::fromStdString(dir.file("bin") + ":" + qgetenv("PATH").toStdString()));
    const struct {
        const char* script;
        bool opened;
    } cases[] = {
        {"#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/given\"\nexit 0\n", true},
        {"#!/bin/sh\nexit 3\n", false},  // no method available for opening
        {"#!/bin/sh\nexit 4\n", false},  // the program found failed
        {"#!/bin/sh\nsleep 2\n", true},  // a program opened it and is still running
    };
    for (const auto& c : cases) {
        dir.write("bin/xdg-open", c.script);
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        tmf::qt::QtShell shell(std::chrono::milliseconds{300});
        EXPECT_EQ(shell.Open("Beschreibung.doc", dir.path()), c.opened) << c.script;
    }
    EXPECT_EQ(dir.read("bin/given"), dir.file("Beschreibung.doc") + "\n");
}

TEST(PlatformShell, AddressesWithoutSchemeGetTheirs) {
    EXPECT_EQ(ShellUrl("info@example.de", ""), QUrl("mailto:info@example.de"));
    EXPECT_EQ(ShellUrl("www.example.de", ""), QUrl("http://www.example.de"));
    EXPECT_EQ(ShellUrl("https://example.de/termine", ""), QUrl("https://example.de/termine"));
    EXPECT_EQ(ShellUrl("mailto:info@example.de", "/tmp/"), QUrl("mailto:info@example.de"));
}

TEST(PlatformDesktop, TheActiveWindowIsTheModalDialogOnTop) {
    tmf::qt::QtDesktop desktop;
    std::string during;
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("PrufungF"));
    tmf::test::WhenShown<QDialog>([&](QDialog* d) {
        during = desktop.ActiveWindowName();
        d->accept();
    });
    dialog.exec();
    EXPECT_EQ(during, "PrufungF");
}

TEST(PlatformDesktop, OnlyTheRegisteredMainWindowIsDisabledAndOnlyWhileItLives) {
    tmf::qt::QtDesktop desktop;
    desktop.SetMainWindowEnabled(false);  // none registered: nothing happens
    auto main = std::make_unique<QWidget>();
    desktop.setMainWindow(main.get());
    desktop.SetMainWindowEnabled(false);
    EXPECT_FALSE(main->isEnabled());
    desktop.SetMainWindowEnabled(true);
    EXPECT_TRUE(main->isEnabled());
    main.reset();
    desktop.SetMainWindowEnabled(false);  // must not touch the deleted window
}

TEST(PlatformDesktop, TheScreenIsThePrimaryScreenAndPendingEventsAreDelivered) {
    tmf::qt::QtDesktop desktop;
    const QSize size = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(desktop.Screen().width, size.width());
    EXPECT_EQ(desktop.Screen().height, size.height());
    bool delivered = false;
    QMetaObject::invokeMethod(
        qApp, [&] { delivered = true; }, Qt::QueuedConnection);
    desktop.ProcessPendingMessages();
    EXPECT_TRUE(delivered);
}

TEST(PlatformDesktop, PassesCloserTogetherThanAFewMillisecondsAreLeftOutButNothingIsLost) {
    tmf::qt::QtDesktop desktop;
    desktop.ProcessPendingMessages();
    QElapsedTimer sinceLastPass;
    sinceLastPass.start();
    int delivered = 0;
    QMetaObject::invokeMethod(
        qApp, [&] { ++delivered; }, Qt::QueuedConnection);
    const bool soon = sinceLastPass.nsecsElapsed() < tmf::qt::QtDesktop::kPassIntervalNs / 2;
    desktop.ProcessPendingMessages();
    if (soon) {
        EXPECT_EQ(delivered, 0);  // a long operation's next row, right after the last pass
    }
    std::this_thread::sleep_for(std::chrono::nanoseconds(tmf::qt::QtDesktop::kPassIntervalNs));
    desktop.ProcessPendingMessages();
    EXPECT_EQ(delivered, 1);
}

TEST(PlatformClock, TodayIsTheCalendarDateAndTheTickAdvancesWithSleep) {
    tmf::qt::QtClock clock;
    const QDate before = QDate::currentDate();
    const std::chrono::year_month_day today{clock.Today()};
    if (QDate::currentDate() == before) {  // not across midnight
        EXPECT_EQ(static_cast<int>(today.year()), before.year());
        EXPECT_EQ(static_cast<unsigned>(today.month()), static_cast<unsigned>(before.month()));
        EXPECT_EQ(static_cast<unsigned>(today.day()), static_cast<unsigned>(before.day()));
    }
    const auto t0 = clock.TickMs();
    clock.SleepMs(30);
    EXPECT_GE(clock.TickMs() - t0, 30u);
}

TEST(PlatformSetup, ThePlatformFillsEveryPortButTheProgressDisplay) {
    tmf::qt::QtPlatform qt;
    const tmf::Platform p = qt.platform();
    EXPECT_TRUE(p.dialogs && p.clock && p.sound && p.shell && p.processes && p.autostart && p.desktop);
    EXPECT_EQ(p.progress, nullptr);
}

TEST(PlatformSetup, TheGermanSetUpTranslatesQtsButtonsDatesAndSetsTheFont) {
    const QFont oldFont = QApplication::font();
    const QLocale oldLocale;
    const QList<QTranslator*> oldTranslators = qApp->findChildren<QTranslator*>();
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(tmf::qt::SetupGermanUi(*qApp));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
    const QString save = buttons.button(QDialogButtonBox::Save)->text();
    const QString march = QLocale().monthName(3);
    const QFont font = QApplication::font();
    // Put the application back as the other tests expect it.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        if (oldTranslators.contains(t)) continue;
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QApplication::setFont(oldFont);
    QLocale::setDefault(oldLocale);

    EXPECT_EQ(cancel, "Abbrechen");
    EXPECT_EQ(save, "Speichern");
    EXPECT_EQ(march, "März");
    EXPECT_EQ(font.family(), "Liberation Sans");
    EXPECT_EQ(font.pointSize(), 8);
}
