#include <QTemporaryDir>
#include <QTest>

#include "shell/ActorList.h"
#include "shell/ScreenScaling.h"
#include "test_support/FileBytes.h"

// The scaling decision and the actor list format.
class TestShellRules : public QObject {
    Q_OBJECT
private slots:
    void scaling() {
        auto f = ScreenScaling::factors(1024, 768);
        QCOMPARE(f.fx, 1.6f);
        QCOMPARE(f.fy, 1.6f);
        f = ScreenScaling::factors(800, 480);
        QCOMPARE(f.fx, 1.25f);
        QCOMPARE(f.fy, 1.0f);
        // The setting reads like Val(): only a leading 1 asks, and only on a screen
        // other than the one the program was drawn on.
        using D = ScreenScaling::Decision;
        QCOMPARE(ScreenScaling::decide(QString(), 15360), D::ScaleSilently);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("0"), 9600), D::ScaleSilently);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("abc"), 15360), D::ScaleSilently);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("1"), 9600), D::Leave);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("1"), 15360), D::Ask);
    }

    void actorItems() {
        QCOMPARE(ActorList::parse(QStringLiteral("Alberto Sordi\r\nTotò\r\nAnna Magnani\r\n")),
                 (QStringList{"Alberto Sordi", "Totò", "Anna Magnani"}));
        QCOMPARE(ActorList::parse(QStringLiteral("\"Sordi, Alberto\",Totò\n  nessuno")),
                 (QStringList{"Sordi, Alberto", "Totò", "nessuno"}));
        QCOMPARE(ActorList::parse(QString()), QStringList());
        QCOMPARE(ActorList::readFile(QStringLiteral("/nonexistent/attori.dat")), QStringList());

        // A Latin-1 file reads as such; a replacement character written in UTF-8 stays.
        QTemporaryDir dir;
        const auto read = [&](const QByteArray& bytes) {
            const QString file = dir.filePath(QStringLiteral("attori.dat"));
            return writeBytes(file, bytes) ? ActorList::readFile(file) : QStringList{"?"};
        };
        QCOMPARE(read("Tot\xf2\n"), QStringList{QStringLiteral("Totò")});
        QCOMPARE(ActorList::parse(QByteArray("Tot\xc3\xb2 \xef\xbf\xbd\n")),
                 QStringList{QStringLiteral("Totò \uFFFD")});
        // Zero bytes are dropped, also with the Latin-1 reading, whose last letter is not
        // taken for a UTF-8 sequence cut short. UTF-16 is read behind its mark.
        QCOMPARE(ActorList::parse(QByteArray("\0Sordi\0\n\0Tot\xf2", 13)),
                 (QStringList{"Sordi", "Totò"}));
        QCOMPARE(ActorList::parse(QByteArray("\xff\xfeT\0o\0t\0\xf2\0\r\0\n\0", 14)),
                 QStringList{QStringLiteral("Totò")});
    }
};

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
