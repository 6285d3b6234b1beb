#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "platform/db/Database.h"
#include "search/ResultGridModel.h"

// The result grid's model over a result table of 100,000 rows.
class TestResultGridModel : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::shared_ptr<Database> db;
    static constexpr int rows = 100000;

    QString at(const ResultGridModel& m, int row, int column) const {
        return m.index(row, column).data().toString();
    }

private slots:
    void init() {
        db = Database::open(dir.filePath(QStringLiteral("r.db")),
                            Database::OpenMode::CreateIfMissing);
        db->exec(QStringLiteral("DROP TABLE IF EXISTS TempLibri"));
        db->createTable(QStringLiteral("TempLibri"),
                        {QStringLiteral("TITOLO"), QStringLiteral("ANNO")});
        db->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                "WHERE i < %1) INSERT INTO TempLibri (TITOLO, ANNO) "
                                "SELECT 'titolo ' || i, i FROM n")
                     .arg(rows));
    }

    void everyRowIsThereFromTheStartUnderAFixedHeader() {
        ResultGridModel m;
        m.showHeader({QStringLiteral("TITOLO"), QStringLiteral("ANNO")});
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("ANNO"));

        m.showResult(db, QStringLiteral("TempLibri"),
                     {QStringLiteral("TITOLO"), QStringLiteral("ANNO")}, rows);
        QCOMPARE(m.rowCount(), rows);
        QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("TITOLO"));
        QCOMPARE(at(m, 0, 0), QStringLiteral("titolo 1"));
        QCOMPARE(at(m, rows - 1, 1), QString::number(rows));
        QCOMPARE(at(m, 54321, 0), QStringLiteral("titolo 54322"));
        QCOMPARE(at(m, ResultGridModel::blockRows, 0),
                 QStringLiteral("titolo %1").arg(ResultGridModel::blockRows + 1));
    }

    void rowsAreReadInBlocksAndOnlyTheLastOnesKept() {
        ResultGridModel m;
        m.showResult(db, QStringLiteral("TempLibri"), {QStringLiteral("TITOLO")}, rows);
        QSignalSpy reads(&m, &ResultGridModel::rowsRead);
        (void)at(m, 3, 0);
        (void)at(m, 200, 0);  // the same block
        QCOMPARE(reads.size(), 1);
        QCOMPARE(reads[0][0].toInt(), 0);
        QCOMPARE(reads[0][1].toInt(), ResultGridModel::blockRows - 1);
        // A long scroll lets the first block go; coming back reads it again.
        for (int b = 1; b <= int(ResultGridModel::keptBlocks); ++b)
            (void)at(m, b * ResultGridModel::blockRows, 0);
        QCOMPARE(reads.size(), 1 + int(ResultGridModel::keptBlocks));
        (void)at(m, 3, 0);
        QCOMPARE(reads.size(), 2 + int(ResultGridModel::keptBlocks));
    }

    void aTableWithGapsIsReadByPosition() {
        db->exec(QStringLiteral("DELETE FROM TempLibri WHERE rowid IN (2, 300)"));
        ResultGridModel m;
        m.showResult(db, QStringLiteral("TempLibri"), {QStringLiteral("TITOLO")}, rows - 2);
        QCOMPARE(at(m, 1, 0), QStringLiteral("titolo 3"));
        QCOMPARE(at(m, 300, 0), QStringLiteral("titolo 303"));
        QCOMPARE(at(m, rows - 3, 0), QStringLiteral("titolo %1").arg(rows));
    }
};

QTEST_MAIN(TestResultGridModel)
#include "tst_resultgridmodel.moc"
