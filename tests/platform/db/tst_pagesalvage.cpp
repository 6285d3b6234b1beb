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
        std::vector<qint64> cut;
        PageSalvage::Outcome outcome;
    };

    Read salvage(const QByteArray& bytes, qint64 root) const {
        PageSalvage::Reader reader(bytes);
        Read read;
        const std::vector<PageSalvage::TableShape> tables{{"LIBRI", root, 2, {true, true}}};
        read.outcome = reader.salvage(
            tables,
            [&](int, qint64 rowid, const std::vector<PageSalvage::Value>& values, bool cut) {
                read.rows.emplace(rowid, reader.text(values.at(0)));
                if (cut)
                    read.cut.push_back(rowid);
            });
        return read;
    }

    // A big-endian page number, as the file keeps them.
    static void put32(QByteArray& bytes, qint64 at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(value >> (24 - 8 * i));
    }
    static QByteArray noise(qint64 size, quint32 seed) {
        QRandomGenerator random(seed);
        QByteArray bytes(size, 0);
        for (char& c : bytes)
            c = char(random.bounded(256));
        return bytes;
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

    // Every row of a sound file; and with the header gone the page size is found again
    // from the pages, and with the root known every row still comes back.
    void readsEveryRowOfASoundFileHeaderOrNot() {
        const Read read = salvage(file_, root_);
        QCOMPARE(read.rows.size(), size_t(kRows));
        QCOMPARE(read.rows.at(10), QStringLiteral("libro 10 ") + QString(10000, 'x'));
        QCOMPARE(read.outcome.tables.at(0).lost, 0);
        QVERIFY(read.outcome.tables.at(0).lostKnown);
        const PageSalvage::Schema schema = PageSalvage::Reader(file_).schema();
        QVERIFY(schema.complete);
        QCOMPARE(schema.entries.size(), size_t(1));
        QCOMPARE(schema.entries[0].rootPage, root_);

        QByteArray bytes = file_;
        bytes.replace(0, 100, QByteArray(100, '\0'));
        QCOMPARE(PageSalvage::Reader(bytes).pageSize(), kPage);
        QCOMPARE(salvage(bytes, root_).rows.size(), size_t(kRows));
    }

    // A loop in the tree: the subtree it hides is found among the stray pages.
    void childPointerLoop() {
        QByteArray bytes = file_;
        put32(bytes, (root_ - 1) * kPage + 8, quint32(root_));  // the right-most child
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows));
        QCOMPARE(read.outcome.tables.at(0).lost, 0);
    }

    // An overflow chain that turns back on itself: the page that points back is not trusted,
    // the card keeps what lies before it and comes back cut.
    void overflowCycle() {
        QByteArray bytes = file_;
        const qint64 first = Database::open(dir_.filePath("RACCOLIO.MDB"))
                                 ->query("SELECT pageno FROM dbstat WHERE name = 'LIBRI' AND "
                                         "pagetype = 'overflow' AND path LIKE '%+000000' LIMIT 1")
                                 .value(0)
                                 .value(0)
                                 .toLongLong();
        QVERIFY(first > 0);
        put32(bytes, (first - 1) * kPage, quint32(first));
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows));
        QCOMPARE(read.outcome.tables.at(0).lost, 0);
        QVERIFY(read.outcome.tables.at(0).lostKnown);
        QCOMPARE(read.cut.size(), size_t(1));
        const QString kept = read.rows.at(read.cut[0]);
        const QString whole = QStringLiteral("libro %1 ").arg(read.cut[0]) + QString(10000, 'x');
        QVERIFY(kept.size() > 100 && kept.size() < kPage && whole.startsWith(kept));
    }

    // A note's second overflow page overwritten: the title before the note is whole, the note
    // keeps its first pages up to the last whole character, the author after it is NULL. A
    // card whose header gives lengths that do not add up to its cell's is no card at all.
    void brokenChainKeepsWhatLiesBeforeTheBreak() {
        const QString path = dir_.filePath("NOTA.MDB");
        // Three-byte characters, placed so that the break falls inside one.
        const QString note = QStringLiteral("n") + QString(3000, QChar(0x20AC));
        qint64 root = 0, overwritten = 0;
        {
            auto db = Database::open(path, Database::OpenMode::CreateIfMissing);
            db->createTable("SCHEDE", {"TITOLO", "NOTE", "AUTORE"});
            for (const char* n : {"1", "2"})
                db->query("INSERT INTO SCHEDE VALUES (?, ?, ?)",
                          {QStringLiteral("titolo") + n, note, QStringLiteral("autore") + n});
            root = db->query("SELECT rootpage FROM sqlite_master WHERE name = 'SCHEDE'")[0][0]
                       .toLongLong();
            overwritten = db->query(
                                "SELECT pageno FROM dbstat WHERE name = 'SCHEDE' AND "
                                "pagetype = 'overflow' ORDER BY path LIMIT 1 OFFSET 1")[0][0]
                              .toLongLong();
        }
        QByteArray bytes = readBytes(path);
        bytes.replace((overwritten - 1) * kPage, kPage, QByteArray(kPage, char(0xFF)));
        // The second card's header takes a byte off its author.
        const qsizetype second = bytes.indexOf("titolo2");
        QVERIFY(second > 0 && bytes[second - 1] == char(13 + 2 * 7));
        bytes[second - 1] = char(13 + 2 * 6);

        PageSalvage::Reader reader(bytes);
        std::vector<std::pair<std::vector<PageSalvage::Value>, bool>> rows;
        const PageSalvage::Outcome outcome =
            reader.salvage({{"SCHEDE", root, 3, {true, true, true}}},
                           [&](int, qint64, const std::vector<PageSalvage::Value>& values,
                               bool cut) { rows.emplace_back(values, cut); });
        QCOMPARE(outcome.tables.at(0).lost, 1);
        QCOMPARE(rows.size(), size_t(1));
        const auto& [values, cut] = rows.front();
        QVERIFY(cut);
        QCOMPARE(reader.text(values.at(0)), QStringLiteral("titolo1"));
        const QString kept = reader.text(values.at(1));
        QVERIFY2(kept.size() > 1000 && kept.size() < 2000 && note.startsWith(kept),
                 qPrintable(kept.right(3)));
        QVERIFY(values.at(2).kind == PageSalvage::Value::Kind::Null);
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
        bytes.replace((root_ - 1) * kPage, kPage, noise(kPage, 3));
        const Read read = salvage(bytes, root_);
        QCOMPARE(read.rows.size(), size_t(kRows - 200));
        QVERIFY(read.rows.lower_bound(101) == read.rows.upper_bound(300));
    }

    // Two archives of the same shape, VIDEO's rowids above LIBRI's, and MUSICA of another
    // shape. A stray page goes to a table only when it has that table's shape and its keys
    // are in the range of a damaged page of that table: the leaves under a lost VIDEO page
    // come back to VIDEO alone, though LIBRI is damaged too and has VIDEO's shape, and
    // MUSICA's lost root spans every key; a stale copy of a LIBRI leaf, outside LIBRI's
    // damaged range, goes nowhere. With LIBRI's last leaf lost too, its range reaches VIDEO's
    // keys: those leaves fit both tables and are counted as such, copied to neither.
    void strayPagesGoOnlyWhereTheirKeysWereLost() {
        const QString path = dir_.filePath("DUE.MDB");
        constexpr int kCards = 1200;  // two to a leaf: three levels of pages in each table
        {
            auto db = Database::open(path, Database::OpenMode::CreateIfMissing);
            Transaction transaction(*db);
            db->createTable("LIBRI", {"TITOLO", "NOTE"});
            db->createTable("VIDEO", {"TITOLO", "NOTE"});
            db->createTable("MUSICA", {"TITOLO", "NOTE", "AUTORE"});
            db->exec("INSERT INTO MUSICA (TITOLO) VALUES ('m'), ('m')");
            for (int i = 1; i <= kCards; ++i) {
                db->query("INSERT INTO LIBRI (rowid, TITOLO) VALUES (?, ?)",
                          {i, QString(1500, 'l')});
                db->query("INSERT INTO VIDEO (rowid, TITOLO) VALUES (?, ?)",
                          {100000 + i, QString(1500, 'v')});
            }
            transaction.commit();
        }
        std::vector<PageSalvage::TableShape> tables;
        qint64 lostLeaf = 0, lostCards = 0, staleLeaf = 0, lostInterior = 0, lostRoot = 0;
        qint64 lastLeaf = 0, lastCards = 0, strayCards = 0;
        {
            auto db = Database::open(path);
            for (const char* name : {"LIBRI", "VIDEO", "MUSICA"})
                tables.push_back({name,
                                  db->query("SELECT rootpage FROM sqlite_master WHERE name = ?",
                                            {name})[0][0]
                                      .toLongLong(),
                                  2,
                                  {true, true}});
            tables[2].columns = 3;
            tables[2].textOnly.push_back(true);
            lostRoot = tables[2].rootPage;
            const auto leaf = [&](int nth) {
                return db->query("SELECT pageno, ncell FROM dbstat WHERE name = 'LIBRI' AND "
                                 "pagetype = 'leaf' ORDER BY path LIMIT 1 OFFSET ?",
                                 {nth})[0];
            };
            lostLeaf = leaf(10)[0].toLongLong();
            lostCards = leaf(10)[1].toLongLong();
            staleLeaf = leaf(100)[0].toLongLong();
            const int leaves = db->query("SELECT count(*) FROM dbstat WHERE name = 'LIBRI' AND "
                                         "pagetype = 'leaf'")[0][0]
                                   .toInt();
            lastLeaf = leaf(leaves - 1)[0].toLongLong();
            lastCards = leaf(leaves - 1)[1].toLongLong();
            // The last page between VIDEO's root and its leaves: the highest keys.
            const QVariantList interior =
                db->query("SELECT pageno, path FROM dbstat WHERE name = 'VIDEO' AND "
                          "pagetype = 'internal' AND path <> '/' ORDER BY path DESC LIMIT 1")
                    .value(0);
            lostInterior = interior.value(0).toLongLong();
            strayCards = db->query("SELECT sum(ncell) FROM dbstat WHERE name = 'VIDEO' AND "
                                   "pagetype = 'leaf' AND path LIKE ? || '%'",
                                   {interior.value(1)})[0][0]
                             .toLongLong();
        }
        QVERIFY(lostInterior > 0 && lostCards > 0 && strayCards > 0 && strayCards < kCards);
        QByteArray bytes = readBytes(path);
        bytes += bytes.mid((staleLeaf - 1) * kPage, kPage);  // a page no tree points at
        bytes.replace((lostLeaf - 1) * kPage, kPage, noise(kPage, 11));
        bytes.replace((lostInterior - 1) * kPage, kPage, noise(kPage, 12));
        bytes.replace((lostRoot - 1) * kPage, kPage, noise(kPage, 13));

        std::vector<qint64> delivered;
        const auto read = [&] {
            PageSalvage::Reader reader(bytes);
            delivered.assign(tables.size(), 0);
            return reader
                .salvage(tables, [&](int table, qint64, const std::vector<PageSalvage::Value>&,
                                     bool) { ++delivered.at(size_t(table)); })
                .unassigned;
        };
        QCOMPARE(read(), 0);
        QCOMPARE(delivered[0], kCards - lostCards);  // no card of the stale copy again
        QCOMPARE(delivered[1], qint64(kCards));
        QCOMPARE(delivered[2], 0);

        bytes.replace((lastLeaf - 1) * kPage, kPage, noise(kPage, 14));
        QCOMPARE(read(), strayCards);
        QCOMPARE(delivered[0], kCards - lostCards - lastCards);
        QCOMPARE(delivered[1], kCards - strayCards);
        QCOMPARE(delivered[2], 0);
    }

    // Cut short anywhere, or no database at all: the reader ends and invents nothing.
    void truncatedAndForeignBytes() {
        const qint64 leafRows = salvage(file_.left(20 * kPage), root_).rows.size();
        QVERIFY(leafRows > 0 && leafRows < kRows);
        for (const qint64 size : {0LL, 1LL, 99LL, 100LL, 4095LL, 4097LL, 50LL * kPage + 7})
            QVERIFY(salvage(file_.left(size), root_).rows.size() <= size_t(kRows));
        const QByteArray foreign = noise(64 * kPage, 7);
        QVERIFY(salvage(foreign, 2).rows.empty());
        QVERIFY(!PageSalvage::Reader(foreign).headerSound());
        QVERIFY(PageSalvage::Reader(foreign).schema().entries.empty());
    }
};

QTEST_GUILESS_MAIN(TestPageSalvage)
#include "tst_pagesalvage.moc"
