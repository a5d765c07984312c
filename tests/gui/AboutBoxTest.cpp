// The about box: its animation that runs on across showings, its place on
// the screen, and the addresses it hands to the desktop.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include "ScriptedPlatform.h"
#include "State.h"
#include "Wukform.h"

using namespace tmf;
using namespace tmf::test;

namespace {

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override { platform.install(); }
    void Close() { box.findChild<QPushButton*>("BitBtn1")->click(); }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) box.Timer1Timer();
    }
    QImage Shown() { return box.findChild<QLabel*>("Image1")->pixmap().toImage(); }

    ScriptedPlatform platform;
    TWukfrm box;
};

}  // namespace

TEST_F(AboutBox, TheAnimationRunsWhileShownAndResumesAfterTheLastFrameDrawn) {
    EXPECT_EQ(box.FrameCounter(), 0);
    EXPECT_FALSE(box.Timer1->isActive());
    box.show();
    EXPECT_TRUE(box.Timer1->isActive());
    EXPECT_EQ(box.Timer1->interval(), 150);
    Ticks(4);
    EXPECT_EQ(box.LastDrawnFrame(), 3);
    Close();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Timer1->isActive());

    box.show();
    Ticks(1);
    EXPECT_EQ(box.LastDrawnFrame(), 4);  // not frame 0 again
}

TEST_F(AboutBox, AfterFrameFourteenTheNextTickDrawsFrameZero) {
    box.show();
    Ticks(15);
    EXPECT_EQ(box.LastDrawnFrame(), 14);
    EXPECT_EQ(box.FrameCounter(), 0);
    Ticks(1);
    EXPECT_EQ(box.LastDrawnFrame(), 0);
}

TEST_F(AboutBox, EachTickDrawsItsFrameOverTheLastOne) {
    box.show();
    Ticks(1);
    const QImage first = Shown();
    EXPECT_EQ(first, box.Frame(0).toImage().convertToFormat(first.format()));
    Ticks(1);
    EXPECT_NE(Shown(), first);
    QImage expected(first.size(), first.format());
    expected.fill(Qt::transparent);
    QPainter p(&expected);
    p.drawPixmap(0, 0, box.Frame(0));
    p.drawPixmap(0, 0, box.Frame(1));
    p.end();
    EXPECT_EQ(Shown(), expected);
}

TEST_F(AboutBox, TheTimerDrivesTheAnimationOnItsOwn) {
    box.show();
    QTRY_VERIFY_WITH_TIMEOUT(box.LastDrawnFrame() >= 1, 3000);
    Close();
}

TEST_F(AboutBox, TheBoxIsCentredOnTheScreen) {
    platform.screen = {1024, 768};
    box.show();
    EXPECT_EQ(box.pos(), QPoint((1024 - 190) / 2, (768 - 279) / 2));
    EXPECT_EQ(box.size(), QSize(190, 279));
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(AboutBox, ClickingTheMailAndWebAddressesHandsTheirTextsToTheDesktop) {
    box.show();
    auto* mail = box.findChild<QLabel*>("Label7");
    auto* web = box.findChild<QLabel*>("Label8");
    QTest::mouseClick(mail, Qt::LeftButton);
    QTest::mouseClick(web, Qt::LeftButton);
    ASSERT_EQ(platform.opened.size(), 2u);
    EXPECT_EQ(platform.opened[0], "|" + mail->text().toStdString());
    EXPECT_EQ(platform.opened[1], "|" + web->text().toStdString());
    // Made-up addresses that reach nobody.
    EXPECT_TRUE(mail->text().endsWith("@example.com"));
    EXPECT_TRUE(web->text().contains("example.com"));
    EXPECT_TRUE(platform.messages.empty());
    // Without a program for them the user is told so.
    platform.openFails = true;
    QTest::mouseClick(web, Qt::LeftButton);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, web->text().toStdString() +
                                             " konnte nicht geöffnet werden.\r\nEs ist kein Programm eingerichtet, "
                                             "das diese Adresse öffnen kann.");
}

TEST_F(AboutBox, OpenedModallyItAnimatesAndSchliessenEndsIt) {
    QTimer::singleShot(400, &box, [this] { Close(); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_GE(box.LastDrawnFrame(), 0);
    EXPECT_FALSE(box.Timer1->isActive());
}
