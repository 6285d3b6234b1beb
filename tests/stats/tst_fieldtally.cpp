#include <QTest>

#include "platform/chart/ChartModel.h"
#include "platform/db/Database.h"
#include "stats/FieldTally.h"
#include "stats/StatisticsRun.h"
#include "test_support/ErrorOf.h"
#include "test_support/TempProgramFolder.h"

// The tally of a field, the chart it fills and the chart's own rules, without windows.
class TestFieldTally : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::shared_ptr<Database> db;

    void insert(const QVariant& argomento) {
        db->query(QStringLiteral("INSERT INTO LIBRI (TITOLO, ARGOMENTO) VALUES ('t', ?)"),
                  {argomento});
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>();
        db = Database::open(folder->cataloguePath());
    }
    void cleanup() {
        db.reset();
        folder.reset();
    }

    // Texts apart only by case, blanks or a leading zero stay apart; a stored
    // "Senza nome" joins the Nulls. With the first row deleted, its value ranks by
    // where it appears next.
    void valuesInOrderOfFirstAppearance() {
        for (const QVariant& v :
             {QVariant("b"), QVariant(), QVariant("a"), QVariant("B"), QVariant(""), QVariant("b"),
              QVariant(), QVariant("Senza nome"), QVariant(" "), QVariant("1999"),
              QVariant("01999"), QVariant("a")})
            insert(v);
        db->exec(QStringLiteral("DELETE FROM LIBRI WHERE rowid = 1"));
        const FieldTally t = *tallyField(*db, QStringLiteral("libri"), QStringLiteral("argomento"));
        QCOMPARE(t.names, (QStringList{"Senza nome", "a", "B", "", "b", " ", "1999", "01999"}));
        QCOMPARE(t.counts, (QList<qint32>{3, 2, 1, 1, 1, 1, 1, 1}));

        ChartModel chart;
        Statistics::fillChart(chart, t);
        QCOMPARE(chart.numPoints(), 8);
        QCOMPARE(chart.points()[0].legend, QStringLiteral("Senza nome"));
        QCOMPARE(chart.points()[0].value, 3);
    }

    void oneValueMakesTwoPointsAndFailuresHaveTheirNumbers() {
        const auto tally = [&](const char* table, const char* field) {
            return *tallyField(*db, QString::fromLatin1(table), QString::fromLatin1(field));
        };
        QCOMPARE(errorOf([&] { tally("LIBRI", "ARGOMENTO"); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf([&] { tally("CDAUDIO", "GENERE"); }), ErrorCode::ItemNotFound);
        insert(QStringLiteral("Storia"));
        insert(QStringLiteral("Storia"));
        ChartModel chart;
        chart.setNumPoints(7);
        chart.setCurrentPoint(6);
        chart.setValue(99);
        Statistics::prepareChart(chart, {});
        Statistics::fillChart(chart, tally("LIBRI", "ARGOMENTO"));
        QCOMPARE(chart.numPoints(), 2);
        QCOMPARE(chart.points()[0].value, 2);
        QCOMPARE(chart.points()[1].value, 0);
        QVERIFY(chart.points()[1].legend.isEmpty());
    }

    // The count asks to go on while the engine groups; a no stops it with nothing counted,
    // and an error raised by the asking reaches the caller.
    void aStoppedCountGivesNothing() {
        db->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
            "INSERT INTO LIBRI (TITOLO, ARGOMENTO) SELECT 't', i % 7 FROM n"));
        int asked = 0;
        const auto stopAt = [&asked](int n) {
            return [&asked, n] { return ++asked < n; };
        };
        QVERIFY(!tallyField(*db, QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO"), stopAt(1)));
        QCOMPARE(asked, 1);
        QCOMPARE(tallyField(*db, QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO"),
                            [] { return true; })
                     ->size(),
                 7);
        QCOMPARE(errorOf([&] {
                     tallyField(*db, QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO"), [] {
                         throw AppError(ErrorCode::FileError, {}, {});
                         return true;
                     });
                 }),
                 ErrorCode::FileError);
    }

    void manyPointsShowTheLargestAndAltri() {
        ChartModel chart;
        chart.setNumPoints(30);
        qint32 total = 0;
        for (int i = 1; i <= 30; ++i) {
            chart.setCurrentPoint(i);
            chart.setValue(i % 10);  // three 9s, then the first 8 of three
            total += i % 10;
        }
        const auto shown = chart.shownPoints(5);
        QCOMPARE(int(shown.size()), 5);
        QList<int> numbers;
        qint32 sum = 0;
        for (const ShownPoint& p : shown) {
            numbers << p.point;
            sum += p.value;
        }
        QCOMPARE(numbers, (QList<int>{8, 9, 19, 29, 0}));
        QCOMPARE(shown.back().legend, QStringLiteral("Altri"));
        QCOMPARE(sum, total);
        QCOMPARE(int(chart.shownPoints(30).size()), 30);
    }

    void writingFollowsThePreviousDrawMode() {
        struct Log : ChartOutput {
            QStringList done;
            void redraw() override { done << "draw"; }
            void copyToClipboard() override { done << "copy"; }
            void print() override { done << "print"; }
            void writeFile(const QString& path, ImageFormat f) override {
                done << path + (f == ImageFormat::Bitmap ? ".bmp" : ".wmf");
            }
        } log;
        ChartModel chart;
        chart.setOutput(&log);
        chart.imageFile = QStringLiteral("a");
        for (int mode : {3, 6, 2, 2, 6, 2, 4, 2, 5, 2})
            chart.setDrawMode(mode);
        QCOMPARE(log.done, (QStringList{"a.bmp", "draw", "draw", "a.wmf", "draw", "copy", "draw",
                                        "print", "draw"}));
    }
};

QTEST_GUILESS_MAIN(TestFieldTally)
#include "tst_fieldtally.moc"
