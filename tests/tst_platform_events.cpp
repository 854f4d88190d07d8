#include "CDelayedCall.h"
#include "platform/CQtPlatform.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QtTest>

#include <functional>

using Blocker = std::function<void(CPlatform&)>;
Q_DECLARE_METATYPE(Blocker)

namespace {

class CPaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

class CKeyWatcher : public QObject {
public:
    QList<int> keys; // pressed, in order

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // As the widgets see them, after their window.
        if (event->type() == QEvent::KeyPress && watched->isWidgetType())
            keys << static_cast<QKeyEvent*>(event)->key();
        return QObject::eventFilter(watched, event);
    }
};

// The polling loop of the player's waits: check a flag, pump, read the
// clock, then block until an event or the rest of the time; returns the
// number of passes. It may end up to 1 ms short of real time: the clock
// counts whole milliseconds.
int WaitLoop(CPlatform& platform, std::uint32_t ms, const bool& stop)
{
    const std::uint32_t start = platform.TimeGetTime();
    int passes = 0;
    while (!stop) {
        ++passes;
        platform.PumpMessages();
        const std::uint32_t elapsed = platform.TimeGetTime() - start;
        if (elapsed >= ms)
            break;
        platform.WaitForEvents(int(ms - elapsed));
    }
    return passes;
}

} // namespace

class TestPlatformEvents : public QObject {
    Q_OBJECT

    CQtPlatform m_platform;

private slots:
    void clockCountsAcrossTheWrap_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::newRow("just before the wrap") << 0xFFFFFFFFu - 40;
        QTest::newRow("low") << 5u;
    }

    void clockCountsAcrossTheWrap()
    {
        QFETCH(quint32, start);
        m_platform.Clock().Set(start);
        const std::uint32_t first = m_platform.TimeGetTime();
        QVERIFY(first - start < 20);
        QElapsedTimer timer;
        timer.start();
        const bool never = false;
        WaitLoop(m_platform, 100, never);
        const std::uint32_t elapsed = m_platform.TimeGetTime() - first;
        QVERIFY2(elapsed >= 100 && elapsed < 400, qPrintable(QString::number(elapsed)));
        QVERIFY(std::abs(double(timer.elapsed()) - elapsed) <= 2);
    }

    // A pump handles what is pending, input through the application's event
    // filter as the normal loop does, and returns once nothing is left.
    void pumpHandlesPendingEventsAndReturns()
    {
        QWidget window;
        CKeyWatcher watcher;
        qApp->installEventFilter(&watcher);
        QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, "5"));
        int calls = 0;
        const CDelayedCall first(0, [&] { ++calls; });
        const CDelayedCall second(0, [&] { ++calls; });
        QElapsedTimer timer;
        timer.start();
        m_platform.PumpMessages();
        QCOMPARE(calls, 2);
        QCOMPARE(watcher.keys.size(), 1);
        m_platform.PumpMessages();
        QVERIFY(timer.elapsed() < 100);
        qApp->removeEventFilter(&watcher);
    }

    // A wait ends with the first event, or at its timeout when none comes.
    void waitForEventsEnds_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("eventAfter"); // -1: no event
        QTest::addColumn<int>("atLeast");
        QTest::addColumn<int>("below");
        QTest::addColumn<bool>("delivered");

        QTest::newRow("timeout first") << 200 << -1 << 199 << 1000 << false;
        QTest::newRow("no timeout, an event") << -1 << 80 << 75 << 2000 << true;
        QTest::newRow("zero timeout") << 0 << 500 << 0 << 300 << false;
    }

    void waitForEventsEnds()
    {
        QFETCH(int, timeout);
        QFETCH(int, eventAfter);
        QFETCH(int, atLeast);
        QFETCH(int, below);

        bool delivered = false;
        std::optional<CDelayedCall> event;
        if (eventAfter >= 0)
            event.emplace(eventAfter, [&] { delivered = true; });

        QElapsedTimer timer;
        timer.start();
        m_platform.WaitForEvents(timeout);
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= atLeast && took < below, qPrintable(QString::number(took)));
        QTEST(delivered, "delivered");
    }

    // The player's wait loop blocks instead of spinning: a second passes in
    // a handful of passes, and input during it is handled on time.
    void waitLoopBlocksAndHandlesInput()
    {
        bool stop = false;
        QElapsedTimer timer;
        timer.start();
        qint64 stoppedAt = -1;
        const CDelayedCall click(300, [&] { stoppedAt = timer.elapsed(); });
        const int passes = WaitLoop(m_platform, 1000, stop);
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= 999 && took < 1300, qPrintable(QString::number(took)));
        QVERIFY2(passes < 20, qPrintable(QString::number(passes)));
        QVERIFY2(stoppedAt >= 300 && stoppedAt < 500, qPrintable(QString::number(stoppedAt)));

        // A click that sets the flag ends the loop at once.
        timer.restart();
        const CDelayedCall stopClick(100, [&] { stop = true; });
        WaitLoop(m_platform, 5000, stop);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    }

    // A handler that runs its own wait from inside a wait (PLAY inside the
    // opening sequence's wait) does not disturb the outer one.
    void nestedWaitsKeepTheirDeadlines()
    {
        const bool never = false;
        QElapsedTimer timer;
        timer.start();
        qint64 innerTook = -1;
        const CDelayedCall nested(50, [&] {
            QElapsedTimer inner;
            inner.start();
            WaitLoop(m_platform, 150, never);
            innerTook = inner.elapsed();
        });
        WaitLoop(m_platform, 400, never);
        QVERIFY2(innerTook >= 149 && innerTook < 400, qPrintable(QString::number(innerTook)));
        QVERIFY2(timer.elapsed() >= 399 && timer.elapsed() < 800, qPrintable(QString::number(timer.elapsed())));
    }

    // A hold keeps input back and hands it on afterwards in its order, each
    // click where it was made; only Escape, which closes the panel, passes
    // at once.
    void holdKeepsInputButLetsEscapeThrough()
    {
        QWidget window;
        QPushButton first(&window);
        QPushButton second(&window);
        second.move(0, 40);
        for (QPushButton* button : {&first, &second})
            button->setFocusPolicy(Qt::NoFocus); // keys go to the window alone
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList clicked;
        connect(&first, &QPushButton::clicked, [&] { clicked << "first"; });
        connect(&second, &QPushButton::clicked, [&] { clicked << "second"; });
        CKeyWatcher watcher;
        qApp->installEventFilter(&watcher);
        QList<int> during;
        const CDelayedCall typing(20, [&] {
            // Through the window, as the window system delivers input.
            for (const Qt::Key key : {Qt::Key_1, Qt::Key_Escape, Qt::Key_2})
                QTest::keyClick(window.windowHandle(), key);
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(5, 45));
            during = watcher.keys;
        });
        m_platform.Hold(100);
        QCOMPARE(during, QList<int>{Qt::Key_Escape});
        QCOMPARE(clicked, QStringList());
        m_platform.PumpMessages();
        QCOMPARE(watcher.keys, (QList<int>{Qt::Key_Escape, Qt::Key_1, Qt::Key_2}));
        QCOMPARE(clicked, (QStringList{"first", "second"}));
        qApp->removeEventFilter(&watcher);
    }

    // Before blocking, what the logic changed is painted (a key shown
    // pressed during its tone). Sounds handle nothing else; a hold lasts its
    // time while timers go on firing, so that animations keep playing during
    // the opening flashes and between sent keys.
    void blockingCallsPaintFirst_data()
    {
        QTest::addColumn<Blocker>("block");
        QTest::addColumn<bool>("timersRun");
        QTest::addColumn<int>("lastsMs");
        QTest::newRow("hold") << Blocker([](CPlatform& p) { p.Hold(20); }) << true << 20;
        QTest::newRow("sync clip") << Blocker([](CPlatform& p) { p.PlayClipSync(197); }) << false << 100;
    }

    void blockingCallsPaintFirst()
    {
        QFETCH(Blocker, block);
        QFETCH(int, lastsMs);
        CPaintCounter window;
        window.resize(50, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.paints > 0);
        const int before = window.paints;
        bool handled = false;
        const CDelayedCall pending(0, [&] { handled = true; });
        window.update();
        QElapsedTimer timer;
        timer.start();
        block(m_platform);
        QVERIFY(timer.elapsed() >= lastsMs);
        QCOMPARE(window.paints, before + 1);
        QTEST(handled, "timersRun");
    }
};

QTEST_MAIN(TestPlatformEvents)
#include "tst_platform_events.moc"
