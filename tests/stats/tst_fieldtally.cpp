#include <QRandomGenerator>
#include <QTest>

#include "platform/chart/ChartModel.h"
#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "stats/FieldTally.h"
#include "stats/StatisticsRun.h"
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
    int errorOf(const QString& table, const QString& field) {
        try {
            tallyField(*db, table, field);
        } catch (const AppError& e) {
            return e.number();
        }
        return 0;
    }

    // The count as reading the cards one by one would make it: every card compared with
    // every value met so far.
    FieldTally cardByCard(const QString& table, const QString& field) {
        FieldTally t;
        RecordSet rs(db, table);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const QString name = tallyName(rs.value(field));
            const auto at = t.names.indexOf(name);
            if (at >= 0) {
                ++t.counts[at];
            } else {
                t.names << name;
                t.counts << 1;
            }
        }
        return t;
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

    void valuesInOrderOfFirstAppearance() {
        for (const QVariant& v :
             {QVariant(QStringLiteral("b")), QVariant(), QVariant("a"), QVariant("B"), QVariant(""),
              QVariant("b"), QVariant(), QVariant("Senza nome")})
            insert(v);
        const FieldTally t = tallyField(*db, QStringLiteral("libri"), QStringLiteral("argomento"));
        QCOMPARE(t.names, (QStringList{"b", "Senza nome", "a", "B", ""}));
        QCOMPARE(t.counts, (QList<qint32>{2, 3, 1, 1, 1}));

        ChartModel chart;
        Statistics::fillChart(chart, t);
        QCOMPARE(chart.numPoints(), 5);
        QCOMPARE(chart.points()[1].legend, QStringLiteral("Senza nome"));
        QCOMPARE(chart.points()[1].value, 3);
    }

    void oneValueMakesTwoPointsAndFailuresHaveTheirNumbers() {
        QCOMPARE(errorOf(QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO")),
                 ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf(QStringLiteral("CDAUDIO"), QStringLiteral("GENERE")),
                 ErrorCode::ItemNotFound);
        insert(QStringLiteral("Storia"));
        insert(QStringLiteral("Storia"));
        ChartModel chart;
        chart.setNumPoints(7);
        chart.setCurrentPoint(6);
        chart.setValue(99);
        Statistics::prepareChart(chart, {});
        Statistics::fillChart(
            chart, tallyField(*db, QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO")));
        QCOMPARE(chart.numPoints(), 2);
        QCOMPARE(chart.points()[0].value, 2);
        QCOMPARE(chart.points()[1].value, 0);
        QVERIFY(chart.points()[1].legend.isEmpty());
    }

    void groupedQueryEqualsCardByCard() {
        auto* rng = QRandomGenerator::global();
        const QStringList words{"Rosso",      "rosso", "ROSSO", "Verde", "",     " ",
                                "Senza nome", "città", "Città", "1999",  "01999"};
        db->exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < 3000; ++i) {
            const int pick = rng->bounded(int(words.size()) + 2);
            insert(pick >= words.size() ? QVariant() : QVariant(words[pick]));
        }
        // Gaps in the rowids, and the rows after them, must not change the order.
        db->exec(QStringLiteral("DELETE FROM LIBRI WHERE rowid % 7 = 3"));
        db->exec(QStringLiteral("COMMIT"));
        const FieldTally grouped =
            tallyField(*db, QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO"));
        const FieldTally expected =
            cardByCard(QStringLiteral("LIBRI"), QStringLiteral("ARGOMENTO"));
        QCOMPARE(grouped.names, expected.names);
        QCOMPARE(grouped.counts, expected.counts);
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
