#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/db/Database.h"
#include "platform/db/PageSalvage.h"
#include "platform/db/Transaction.h"
#include "test_support/FileBytes.h"

// The page reader on files damaged on purpose: it always ends, and gives back exactly what
// is still readable.
class TestPageSalvage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray file_;
    qint64 root_ = 0;
    static constexpr int kRows = 600;
    static constexpr int kPage = 4096;

    struct Read {
        std::map<qint64, QString> rows;
        PageSalvage::Outcome outcome;
    };

    Read salvage(const QByteArray& bytes, qint64 root) const {
        PageSalvage::Reader reader(bytes);
        Read read;
        const std::vector<PageSalvage::TableShape> tables{{"LIBRI", root, 2, {true, true}}};
        read.outcome = reader.salvage(
            tables, [&](int, qint64 rowid, const std::vector<PageSalvage::Value>& values) {
                read.rows.emplace(rowid, reader.text(values.at(0)));
            });
        return read;
    }

    // dbstat's pages of LIBRI of one type, with their paths in the tree.
    QList<QVariantList> pages(const QString& type) const {
        return Database::open(dir_.filePath("RACCOLIO.MDB"))
            ->query("SELECT pageno, path FROM dbstat WHERE name = 'LIBRI' AND pagetype = ? "
                    "ORDER BY pageno",
                    {type});
    }

    static void setNext(QByteArray& bytes, qint64 page, quint32 next) {
        for (int i = 0; i < 4; ++i)
            bytes[(page - 1) * kPage + i] = char(next >> (24 - 8 * i));
    }

private slots:
    void initTestCase() {
        auto db = Database::open(dir_.filePath("RACCOLIO.MDB"),
                                 Database::OpenMode::CreateIfMissing);
        Transaction transaction(*db);
        db->createTable("LIBRI", {"TITOLO", "NOTE"});
        // Every tenth card spans several overflow pages.
        for (int i = 1; i <= kRows; ++i)
            db->query("INSERT INTO LIBRI VALUES (?, ?)",
                      {QStringLiteral("libro %1 ").arg(i) + QString(i % 10 ? 300 : 10000, 'x'),
                       QVariant()});
        transaction.commit();
        root_ = db->query("SELECT rootpage FROM sqlite_master WHERE name = 'LIBRI'")[0][0]
                    .toLongLong();
        file_ = readBytes(dir_.filePath("RACCOLIO.MDB"));
        QVERIFY(file_.size() > 100 * kPage);
    }

    void readsEveryRowOfASoundFile() {
        const Read read = salvage(file_, root_);
        QCOMPARE(read.rows.size(), size_t(kRows));
        QCOMPARE(read.rows.at(10), QStringLiteral("libro 10 ") + QString(10000, 'x'));
        QCOMPARE(read.outcome.tables.at(0).lost, 0);
        QVERIFY(read.outcome.tables.at(0).lostKnown);
        const PageSalvage::Schema schema = PageSalvage::Reader(file_).schema();
        QVERIFY(schema.complete);
        QCOMPARE(schema.entries.size(), size_t(1));
        QCOMPARE(schema.entries[0].rootPage, root_);
    }

    // A loop in the tree: the subtree it hides is found among the stray pages.
    void childPointerLoop() {
        QByteArray bytes = file_;
        const qint64 right = (root_ - 1) * kPage + 8;
        for (int i = 0; i < 4; ++i)
            bytes[right + i] = char(root_ >> (24 - 8 * i));
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows));
        QCOMPARE(read.outcome.tables.at(0).lost, 0);
    }

    // An overflow chain that turns back on itself loses that one card, counted.
    void overflowCycle() {
        QByteArray bytes = file_;
        const auto overflow = pages("overflow");
        qint64 first = 0;
        for (const QVariantList& p : overflow)
            if (p[1].toString().endsWith("+000000")) {
                first = p[0].toLongLong();
                break;
            }
        QVERIFY(first > 0);
        setNext(bytes, first, quint32(first));
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows - 1));
        QCOMPARE(read.outcome.tables.at(0).lost, 1);
        QVERIFY(read.outcome.tables.at(0).lostKnown);
    }

    // Pages freed by deleted cards still hold them; with the root lost every stray page is
    // looked at, and the free ones must stay out.
    void deletedCardsStayDeleted() {
        const QString copy = dir_.filePath("CANCELLATE.MDB");
        QVERIFY(writeBytes(copy, file_));
        {
            auto db = Database::open(copy);
            db->exec("PRAGMA secure_delete = OFF");
            db->exec("DELETE FROM LIBRI WHERE rowid BETWEEN 101 AND 300");
        }
        QByteArray bytes = readBytes(copy);
        QVERIFY(bytes.size() == file_.size());  // the pages are freed, not given back
        QRandomGenerator random(3);
        for (qint64 i = (root_ - 1) * kPage; i < root_ * kPage; ++i)
            bytes[i] = char(random.bounded(256));
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows - 200));
        QVERIFY(read.rows.lower_bound(101) == read.rows.upper_bound(300));
    }

    // Cut short anywhere, or no database at all: the reader ends and invents nothing.
    void truncatedAndForeignBytes() {
        const qint64 leafRows = salvage(file_.left(20 * kPage), root_).rows.size();
        QVERIFY(leafRows > 0 && leafRows < kRows);
        for (const qint64 size : {0LL, 1LL, 99LL, 100LL, 4095LL, 4097LL, 50LL * kPage + 7})
            QVERIFY(salvage(file_.left(size), root_).rows.size() <= size_t(kRows));
        QRandomGenerator random(7);
        QByteArray noise(64 * kPage, 0);
        for (char& c : noise)
            c = char(random.bounded(256));
        QVERIFY(salvage(noise, 2).rows.empty());
        QVERIFY(!PageSalvage::Reader(noise).headerSound());
        QVERIFY(PageSalvage::Reader(noise).schema().entries.empty());
    }

    // The header gone: the page size is found again from the pages, and with the root known
    // every row comes back.
    void headerLost() {
        QByteArray bytes = file_;
        bytes.replace(0, 100, QByteArray(100, '\0'));
        PageSalvage::Reader reader(bytes);
        QCOMPARE(reader.pageSize(), kPage);
        QCOMPARE(salvage(bytes, root_).rows.size(), size_t(kRows));
    }
};

QTEST_GUILESS_MAIN(TestPageSalvage)
#include "tst_pagesalvage.moc"
