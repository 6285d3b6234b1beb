#include <QTest>

#include "cards/Archives.h"
#include "search/PrintRules.h"

// Which settings each print command gives the one report engine, and which it leaves.
class TestPrintRules : public QObject {
    Q_OBJECT

private slots:
    void settingsCarryOverBetweenCommands() {
        const ArchiveDef& books = Archives::def(Archive::Books);
        const QSize screen(1280, 800);
        ReportSettings s;

        // Before any main-window print a search print goes to the preview.
        PrintRules::searchPrint(s, books, QStringLiteral("TITOLO"), QStringLiteral("rosso"),
                                screen);
        QCOMPARE(s.destination, int(ReportSettings::Preview));
        QCOMPARE(s.reportFile, books.searchReportTemplate);
        QCOMPARE(s.formula0, QStringLiteral("BRENVATI= \"Raccolio: LIBRERIA - Campo di ricerca: "
                                            "TITOLO - Testo di ricerca: ROSSO\""));
        QCOMPARE(QSize(s.windowWidth, s.windowHeight), screen);

        // "Stampa..." clears the heading and sends everything after it to the printer.
        PrintRules::mainWindowPrint(s, false, books, screen);
        QCOMPARE(s.destination, int(ReportSettings::Printer));
        QCOMPARE(s.reportFile, books.reportTemplate);
        QVERIFY(s.formula0.isEmpty());
        PrintRules::searchPrint(s, Archives::def(Archive::Videos),
                                QStringLiteral("(TUTTI I CAMPI)"), QStringLiteral("àb"), screen);
        QCOMPARE(s.destination, int(ReportSettings::Printer));
        QVERIFY(s.formula0.endsWith(QStringLiteral("(TUTTI I CAMPI) - Testo di ricerca: ÀB\"")));

        // The authors print keeps the heading, the destination and the geometry.
        const ReportSettings before = s;
        s.windowLeft = 7;
        PrintRules::plainPrint(s, Archives::authorsReportTemplate());
        QCOMPARE(s.reportFile, Archives::authorsReportTemplate());
        QCOMPARE(s.formula0, before.formula0);
        QCOMPARE(s.destination, before.destination);
        QCOMPARE(s.windowLeft, 7);

        PrintRules::mainWindowPrint(s, true, books, screen);
        QCOMPARE(s.destination, int(ReportSettings::Preview));
        QCOMPARE(s.windowLeft, 0);
    }
};

QTEST_GUILESS_MAIN(TestPrintRules)
#include "tst_printrules.moc"
