#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "platform/ui/WindowScaler.h"

// Stretching a window once: the window, fonts, and the children no layout places.
class TestWindowScaler : public QObject {
    Q_OBJECT

    // A 640x480 window in an 8-point font with one child placed by hand.
    static QLabel* prepare(QWidget& window) {
        window.setGeometry(50, 40, 640, 480);
        QFont base = window.font();
        base.setPointSizeF(8.0);
        window.setFont(base);
        auto* free = new QLabel(QStringLiteral("free"), &window);
        free->setGeometry(80, 60, 150, 30);
        return free;
    }

private slots:
    void scalesWindowFontsAndFreeChildren() {
        QWidget window;
        QLabel* free = prepare(window);
        auto* layout = new QVBoxLayout(&window);
        auto* managed = new QLabel(QStringLiteral("in layout"), &window);
        layout->addWidget(managed);
        auto* kept = new QLabel(QStringLiteral("kept"), &window);
        kept->setProperty("tag", QStringLiteral("NO"));
        kept->setGeometry(10, 10, 50, 20);
        kept->setFont(window.font());

        scaleWindow(&window, 1.6f, 1.6f);

        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.size(), QSize(1024, 768));
        QCOMPARE(free->geometry(), QRect(128, 96, 240, 48));
        QCOMPARE(kept->geometry(), QRect(10, 10, 50, 20));
        QCOMPARE(kept->font().pointSizeF(), 8.0);
        // Inherited fonts are scaled once, not once per ancestor.
        for (QWidget* w : {&window, static_cast<QWidget*>(managed), static_cast<QWidget*>(free)})
            QVERIFY(qAbs(w->font().pointSizeF() - 12.8) < 0.01);
    }

    void onlyWidthsGrowOnAWideScreen() {
        QWidget window;
        QLabel* free = prepare(window);
        scaleWindow(&window, 1.25f, 1.0f);
        QCOMPARE(window.size(), QSize(800, 480));
        QCOMPARE(free->geometry(), QRect(100, 60, 188, 30));
        QCOMPARE(window.font().pointSizeF(), 8.0);
    }
};

QTEST_MAIN(TestWindowScaler)
#include "tst_windowscaler.moc"
