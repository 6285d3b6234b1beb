#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "platform/ui/WindowScaler.h"

// Stretching a window once: the window, fonts, and the children no layout places.
class TestWindowScaler : public QObject {
    Q_OBJECT
private slots:
    void scalesWindowFontsAndFreeChildren() {
        QWidget window;
        window.setGeometry(50, 40, 640, 480);
        QFont base = window.font();
        base.setPointSizeF(8.0);
        window.setFont(base);
        auto* layout = new QVBoxLayout(&window);
        auto* managed = new QLabel(QStringLiteral("in layout"), &window);
        layout->addWidget(managed);
        auto* free = new QLabel(QStringLiteral("free"), &window);
        free->setGeometry(80, 60, 150, 30);
        auto* kept = new QLabel(QStringLiteral("kept"), &window);
        kept->setProperty("tag", QStringLiteral("NO"));
        kept->setGeometry(10, 10, 50, 20);
        QFont keptFont = kept->font();
        keptFont.setPointSizeF(8.0);
        kept->setFont(keptFont);

        scaleWindow(&window, 1.6f, 1.6f);

        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.size(), QSize(1024, 768));
        QCOMPARE(free->geometry(), QRect(128, 96, 240, 48));
        QCOMPARE(kept->geometry(), QRect(10, 10, 50, 20));
        QCOMPARE(kept->font().pointSizeF(), 8.0);
        // Inherited fonts are scaled once, not once per ancestor.
        QVERIFY(qAbs(window.font().pointSizeF() - 12.8) < 0.01);
        QVERIFY(qAbs(managed->font().pointSizeF() - 12.8) < 0.01);
        QVERIFY(qAbs(free->font().pointSizeF() - 12.8) < 0.01);
    }

    void onlyWidthsGrowOnAWideScreen() {
        QWidget window;
        window.resize(640, 480);
        QFont base = window.font();
        base.setPointSizeF(8.0);
        window.setFont(base);
        auto* free = new QLabel(QStringLiteral("free"), &window);
        free->setGeometry(100, 100, 100, 20);
        scaleWindow(&window, 1.25f, 1.0f);
        QCOMPARE(window.size(), QSize(800, 480));
        QCOMPARE(free->geometry(), QRect(125, 100, 125, 20));
        QCOMPARE(window.font().pointSizeF(), 8.0);
    }
};

QTEST_MAIN(TestWindowScaler)
#include "tst_windowscaler.moc"
