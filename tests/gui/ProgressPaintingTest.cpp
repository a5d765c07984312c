// The controls a long operation changes every tenth row paint at most once a
// frame, always show the latest content, and hold nothing back once the
// operation has ended.
#include <QElapsedTimer>
#include <QWidget>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include "MainWindowFixture.h"
#include "QtDesktop.h"
#include "RepaintPacer.h"

using namespace tmf;

namespace {

// Counts the paint events a control gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

}  // namespace

TEST(RepaintPacer, ChangesWithinAFrameWaitForItsEndOrAFlushButAreThereAtOnce) {
    struct Case {
        const char* name;
        bool flush;  // the operation ends before the frame does
    };
    for (const Case c : {Case{"frame ends", false}, Case{"flushed", true}}) {
        SCOPED_TRACE(c.name);
        QWidget window;
        QLabel label("0", &window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        RepaintPacer pacer(&label, 200);
        pacer.Change([&] { label.setText("1"); });
        EXPECT_TRUE(label.updatesEnabled());  // the first change of a frame shows at once
        EXPECT_FALSE(pacer.Waiting());
        for (int i = 2; i <= 5; ++i) pacer.Change([&] { label.setText(QString::number(i)); });
        EXPECT_EQ(label.text(), "5");
        EXPECT_FALSE(label.updatesEnabled());
        EXPECT_TRUE(pacer.Waiting());
        PaintCounter counter(&label);
        if (c.flush) {
            pacer.Flush();
            EXPECT_TRUE(label.updatesEnabled());
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return label.updatesEnabled(); }, 2000));
        // The latest content reaches the screen.
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints >= 1; }, 2000)) << counter.paints;
        EXPECT_FALSE(pacer.Waiting());
    }
}

class ProgressPainting : public test::MainWindow {};

TEST_F(ProgressPainting, AFillOfThousandsOfRowsPaintsTheCounterOncePerFrameAndEndsOnTheLastCount) {
    StartWith(test::GenerateEntries(4000));
    // Messages are really let through, as in the running program.
    qt::QtDesktop desktop;
    ThePlatform().desktop = &desktop;
    auto* counter = main->findChild<QLabel*>("StatusPanel2");
    auto* percent = main->findChild<QProgressBar*>("Prozent");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    PaintCounter paints(counter);
    QElapsedTimer elapsed;
    elapsed.start();
    FillGrid();
    const qint64 ms = elapsed.elapsed();
    ThePlatform().desktop = &platform;
    EXPECT_EQ(counter->text(), "Einträge: 4000");
    EXPECT_EQ(percent->value(), 100);
    // Nothing waits for a frame once the fill is over.
    for (QWidget* w : std::initializer_list<QWidget*>{counter, percent, main->findChild<QLabel*>("ProzentText")})
        EXPECT_TRUE(w->updatesEnabled()) << w->objectName().toStdString();
    // Painting every tenth row would be 400 paints.
    EXPECT_LE(paints.paints, 6 + ms / 40) << ms << " ms";
    EXPECT_GE(paints.paints, 1);
}
