#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "platform/ui/LongWork.h"

// Long work paints and listens only now and then, shows itself only when it lasts, and
// stops when the user cancels.
class TestLongWork : public QObject {
    Q_OBJECT

private slots:
    void pollsAtMostEveryFiftyMilliseconds() {
        QWidget window;
        LongWork work(&window, QStringLiteral("Lavoro in corso..."));
        bool delivered = false;
        QTimer::singleShot(0, this, [&] { delivered = true; });
        QElapsedTimer clock;
        clock.start();
        // Steps in quick succession run no event: the work is not slowed by painting.
        while (clock.elapsed() < LongWork::kPollMilliseconds / 2)
            QVERIFY(work.step(1, 10));
        QVERIFY(!delivered);
        QTest::qSleep(LongWork::kPollMilliseconds + 5);
        QVERIFY(work.step(2, 10));
        QVERIFY(delivered);
        QVERIFY(!window.findChild<QProgressDialog*>());  // too early to show
    }

    void cancelStopsTheWork() {
        QWidget window;
        LongWork work(&window, QStringLiteral("Lavoro in corso..."));
        QElapsedTimer clock;
        clock.start();
        QProgressDialog* dialog = nullptr;
        while (!dialog && clock.elapsed() < 5000) {
            QVERIFY(work.step());
            dialog = window.findChild<QProgressDialog*>(QStringLiteral("LongWorkProgress"));
        }
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        auto* cancel = dialog->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!work.step());
        QVERIFY(work.cancelled());
    }
};

QTEST_MAIN(TestLongWork)
#include "tst_longwork.moc"
