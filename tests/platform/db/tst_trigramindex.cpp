// The trigram search index: finds through it answer exactly what a scan answers, it stays in
// step with every store, whoever makes it, and it is built, cancelled, copied and rebuilt
// without touching a card.
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <array>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "platform/db/IndexedFind.h"
#include "platform/db/LikePattern.h"
#include "platform/db/Maintenance.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Transaction.h"
#include "platform/db/TrigramIndex.h"
#include "search/StructuredSearch.h"
#include "test_support/PlainSqlite.h"

namespace {

const QString kT = QStringLiteral("T");  // the indexed table
const QStringList kFields{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};

// Characters a catalogue meets and those where case folding is least agreed on: accented
// Latin, final sigma, Kelvin, sharp s, dotted I, titlecase digraphs, Cherokee (folded to
// capitals), Deseret, emoji, CJK of plane 2, tags of plane 14, private use of planes 15-16,
// the wildcards themselves and quotes.
const std::array<char32_t, 60> kAlphabet{
    U'a',   U'b',    U'e',    U'r',    U'o',    U'A',    U'B',    U'E',    U'R',     U'O',
    U'1',   U'7',    U' ',    U'à',    U'è',    U'é',    U'ì',    U'ò',    U'ù',     U'À',
    U'È',   U'É',    U'Ò',    U'ß',    0x1E9E,  0x017F,  0x03C2,  0x03C3,  0x03A3,   0x212A,
    U'k',   U'K',    0x0130,  0x0131,  U'i',    0x01C5,  0x01C6,  0x01C4,  0x13A0,   0xAB70,
    0x13F5, 0x10400, 0x10428, 0x1F600, 0x20000, 0x30000, 0xE0041, 0xF0000, 0x10FFFD, U'*',
    U'?',   U'#',    U'[',    U']',    U'!',    U'-',    U'"',    U'\'',   0xFB00,   0x0660};

QString character(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

QString randomText(QRandomGenerator& random, int maxLength) {
    QString s;
    const int n = int(random.bounded(maxLength + 1));
    for (int i = 0; i < n; ++i)
        s += character(kAlphabet[random.bounded(int(kAlphabet.size()))]);
    return s;
}

// A pattern built from a card text, so that many match: a piece of it, its case changed
// here and there, wildcards put in or over its characters.
QString randomPattern(QRandomGenerator& random, const QString& source) {
    const QList<uint> chars = source.toUcs4();
    QString p;
    if (random.bounded(3) != 0)
        p += u'*';
    const int from = chars.isEmpty() ? 0 : int(random.bounded(int(chars.size())));
    const int length = int(random.bounded(12));
    for (int i = from; i < chars.size() && i < from + length; ++i) {
        // One character in four changed: its case, a wildcard over it, or a set holding it.
        const QString c = character(char32_t(chars[i]));
        const QString changed[] = {
            c.toUpper(),         c.toLower(),
            QStringLiteral("?"), QStringLiteral("*"),
            QStringLiteral("#"), QStringLiteral("[") + c + QStringLiteral("x]")};
        const int roll = int(random.bounded(24));
        p += roll < 6 ? changed[roll] : c;
    }
    if (random.bounded(3) != 0)
        p += u'*';
    if (random.bounded(10) == 0)
        p = randomText(random, 6);  // a pattern of its own, wildcards and all
    p.replace(u'"', QStringLiteral("\"\""));
    return p;
}

QString randomCriterion(QRandomGenerator& random, const QList<QStringList>& cards, int depth = 0) {
    const int kind = depth > 1 ? 0 : int(random.bounded(6));
    if (kind <= 2) {
        const QStringList& card = cards[int(random.bounded(int(cards.size())))];
        const int field = int(random.bounded(int(kFields.size())));
        return kFields[field] + QStringLiteral(" Like \"") +
               randomPattern(random, card[int(random.bounded(int(card.size())))]) +
               QStringLiteral("\"");
    }
    const QString left = randomCriterion(random, cards, depth + 1);
    const QString right = randomCriterion(random, cards, depth + 1);
    if (kind == 3)
        return QStringLiteral("(") + left + QStringLiteral(" OR ") + right + QStringLiteral(")");
    if (kind == 4)
        return left + QStringLiteral(" AND ") + right;
    return QStringLiteral("NOT ") + left + QStringLiteral(" OR ") + right;
}

// Every match of a criterion as a find walks it: first then next, or last then previous.
QList<qint64> walk(RecordSet& rs, const QString& criterion, bool backward = false) {
    QList<qint64> out;
    for (bool found = backward ? rs.findLast(criterion) : rs.findFirst(criterion); found;
         found = backward ? rs.findPrevious(criterion) : rs.findNext(criterion))
        backward ? out.prepend(rs.bookmark()) : out.append(rs.bookmark());
    return out;
}

}  // namespace

class TestTrigramIndex : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::shared_ptr<Database> db_;

    QString path() const { return dir_->filePath(QStringLiteral("t.db")); }

    // Tables T (indexed) and U (not), both holding the cards in the same rows.
    void makeTables(const QList<QStringList>& cards) {
        Transaction transaction(*db_);
        for (const QString& table : {kT, QStringLiteral("U")}) {
            db_->createTable(table, kFields);
            for (const QStringList& card : cards)
                db_->query(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(table),
                           {card[0], card[1].isEmpty() ? QVariant() : card[1], card[2]});
        }
        TrigramIndex::create(*db_, kT);
        transaction.commit();
    }

    QList<qint64> found(const QString& criterion) {
        return walk(*db_->openRecordSet(kT), criterion);
    }
    void reopen(Database::OpenMode mode = Database::OpenMode::ExistingOnly) {
        db_.reset();
        db_ = Database::open(path(), mode);
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        db_ = Database::open(path(), Database::OpenMode::CreateIfMissing);
        db_->exec(QStringLiteral("PRAGMA synchronous=OFF"));  // throw-away files
    }

    // Random cards and criteria: through the index, every find lands where the scan lands.
    void answersAsTheScan() {
        QRandomGenerator random(20261207);
        QList<QStringList> cards;
        for (int i = 0; i < 200; ++i)
            cards << QStringList{randomText(random, 30), randomText(random, 12),
                                 randomText(random, 60)};
        makeTables(cards);
        // Some rows gone and new ones after them: rowids with gaps.
        db_->exec(QStringLiteral("DELETE FROM T WHERE rowid % 7 = 3"));
        db_->exec(QStringLiteral("DELETE FROM U WHERE rowid % 7 = 3"));
        auto indexed = db_->openRecordSet(kT);
        auto scanned = db_->openRecordSet(QStringLiteral("U"));
        int narrowed = 0, matched = 0;
        for (int i = 0; i < 250; ++i) {
            const QString criterion = randomCriterion(random, cards);
            const QList<qint64> expected = walk(*scanned, criterion);
            QCOMPARE(walk(*indexed, criterion), expected);
            QCOMPARE(walk(*indexed, criterion, true), expected);
            narrowed += IndexedFind::plan(*db_, kT, criterion).usable();
            matched += !expected.isEmpty();
        }
        QVERIFY2(narrowed > 40 && matched > 60,
                 qPrintable(QStringLiteral("%1 narrowed, %2 matched").arg(narrowed).arg(matched)));
    }

    // Pairs raccolio_like takes as equal although the index's tokenizer may fold them
    // apart, or reads the card's bytes otherwise: the card is found all the same.
    void lookAlikes_data() {
        QTest::addColumn<QByteArray>("card");  // UTF-8, not necessarily well formed
        QTest::addColumn<QString>("pattern");
        QTest::addRow("cherokee") << QStringLiteral("xx\u13A3\u13A4\u13A5yy").toUtf8()
                                  << QStringLiteral("*\uAB73\uAB74\uAB75*");
        QTest::addRow("final sigma")
            << QStringLiteral("ΟΔΥΣΣΕΑΣ").toUtf8() << QStringLiteral("*οδυσσεας*");
        QTest::addRow("sigma") << QStringLiteral("οδυσσεας").toUtf8()
                               << QStringLiteral("*ΟΔΥΣΣΕΑΣ*");
        QTest::addRow("capital sharp s")
            << QStringLiteral("stra\u1E9Ee").toUtf8() << QStringLiteral("*STRAßE*");
        QTest::addRow("deseret") << QStringLiteral("a\U00010400\U00010401\U00010402b").toUtf8()
                                 << QStringLiteral("*\U00010428\U00010429\U0001042A*");
        QTest::addRow("titlecase")
            << QStringLiteral("\u01C5ungla").toUtf8() << QStringLiteral("\u01C6UNGLA");
        QTest::addRow("stray byte after a run")
            << QByteArray("xyz\xC3\xA9\xA9 fine") << QStringLiteral("*XYZÉ*");
        QTest::addRow("accents") << QStringLiteral("CITTÀ PERDUTA").toUtf8()
                                 << QStringLiteral("*città perd*");
    }
    void lookAlikes() {
        QFETCH(QByteArray, card);
        QFETCH(QString, pattern);
        db_->createTable(kT, kFields);
        TrigramIndex::create(*db_, kT);
        db_->query(QStringLiteral("INSERT INTO T (A) VALUES ('a'), ('b')"));
        db_->query(QStringLiteral("INSERT INTO T (B) VALUES (CAST(? AS TEXT))"), {card});
        const QString criterion = QStringLiteral("B Like \"%1\"").arg(pattern);
        QVERIFY(Criteria::like(QString::fromUtf8(card), pattern) || !card.isValidUtf8());
        QCOMPARE(found(criterion), QList<qint64>{3});
    }

    // A character the tokenizer folds apart from one of its look-alikes is never looked up.
    void foldingsThatDisagree() {
        std::vector<char32_t> agreeing(0x110000);
        for (char32_t c = 0; c < agreeing.size(); ++c)
            agreeing[c] = LikePattern::foldCharacter(c);
        std::vector<char32_t> apart = agreeing;
        apart[U'K'] = U'K';
        const std::vector<bool> all = IndexedFind::agreeingCharacters(agreeing);
        const std::vector<bool> some = IndexedFind::agreeingCharacters(apart);
        QVERIFY(all[U'k'] && all[U'K'] && all[U'é'] && all[0x10400] && all[0x10428]);
        QVERIFY(!some[U'k'] && !some[U'K'] && some[U'a'] && some[U'é']);
    }

    // The find goes through the index: a card the index lost is not found until the index
    // is rebuilt; a criterion it cannot narrow still scans.
    void findsThroughTheIndexUntilRebuilt() {
        makeTables({{QStringLiteral("la pergamena"), QStringLiteral("x"), QStringLiteral("y")},
                    {QStringLiteral("una pergamena"), QStringLiteral("x"), QStringLiteral("y")}});
        db_->query(
            QStringLiteral("INSERT INTO raccolio_trigram_T(raccolio_trigram_T, rowid, A, "
                           "B, C) VALUES ('delete', 1, 'la pergamena', 'x', 'y')"));
        QVERIFY(!TrigramIndex::passesIntegrityCheck(*db_));
        QCOMPARE(found(QStringLiteral("A Like \"*pergamena*\"")), QList<qint64>{2});
        QCOMPARE(found(QStringLiteral("A Like \"*a\"")), (QList<qint64>{1, 2}));
        QVERIFY(TrigramIndex::rebuild(*db_));
        QVERIFY(TrigramIndex::passesIntegrityCheck(*db_));
        QCOMPARE(found(QStringLiteral("A Like \"*pergamena*\"")), (QList<qint64>{1, 2}));
    }

    // Stores by the program and by a plain SQLite connection keep the index in step.
    void keptInStepByEveryStore() {
        makeTables({{QStringLiteral("alfa"), QStringLiteral("beta"), QStringLiteral("gamma")}});
        auto rs = db_->openRecordSet(kT);
        rs->setValue(QStringLiteral("A"), QStringLiteral("Torre Nera"));
        rs->addNew();  // stores the edit
        rs->setValue(QStringLiteral("C"), QStringLiteral("torre bianca"));
        rs->update();
        QCOMPARE(PlainSqlite(path()).run("INSERT INTO T (B) VALUES ('una torre'); "
                                         "UPDATE T SET C = NULL WHERE rowid = 2; "
                                         "INSERT INTO T (A) VALUES ('torre da togliere'); "
                                         "DELETE FROM T WHERE rowid = 4"),
                 QString());
        QVERIFY(TrigramIndex::passesIntegrityCheck(*db_));
        rs->requery();
        QCOMPARE(walk(*rs, QStringLiteral("A Like \"*torre*\" OR B Like \"*torre*\" OR C "
                                          "Like \"*torre*\"")),
                 (QList<qint64>{1, 3}));
        rs->moveFirst();
        rs->deleteCurrent();
        QVERIFY(TrigramIndex::passesIntegrityCheck(*db_));
        QCOMPARE(found(QStringLiteral("A Like \"*torre*\"")), QList<qint64>{});
    }

    // A cancelled build, or one on a read-only catalogue, changes nothing; a read-only
    // catalogue with an index finds through it.
    void buildCancelledOrReadOnly() {
        db_->createTable(kT, kFields);
        db_->exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 19999) INSERT INTO T (A) SELECT 'scheda ' || i FROM n"));
        const auto schema = [&] {
            return db_->query(QStringLiteral("SELECT count(*) FROM sqlite_master")).first();
        };
        const QVariantList before = schema();
        int ticks = 0;
        QVERIFY(!TrigramIndex::build(*db_, kT, [&] { return ++ticks < 3; }));
        QCOMPARE(ticks, 3);
        QCOMPARE(schema(), before);
        QVERIFY(IndexedFind::wouldUseMissingIndex(*db_, kT, QStringLiteral("A Like \"*da 29*\"")));
        QVERIFY(!IndexedFind::wouldUseMissingIndex(*db_, kT, QStringLiteral("A Like \"*d?2*\"")));
        reopen(Database::OpenMode::ReadOnly);
        QVERIFY(!TrigramIndex::build(*db_, kT));
        reopen();
        QVERIFY(TrigramIndex::build(*db_, kT, [] { return true; }));
        QVERIFY(TrigramIndex::exists(*db_, QStringLiteral("t")));
        reopen(Database::OpenMode::ReadOnly);
        QVERIFY(IndexedFind::plan(*db_, kT, QStringLiteral("A Like \"*a 299*\"")).usable());
        QCOMPARE(found(QStringLiteral("A Like \"*a 299*\"")).size(), 11);
    }

    // A compacted copy (as backups are written) carries the index, rowids and all.
    void compactedCopyFindsThroughTheIndex() {
        makeTables({{QStringLiteral("uno"), {}, {}},
                    {QStringLiteral("due pergamene"), {}, {}},
                    {QStringLiteral("tre pergamene"), {}, {}}});
        db_->exec(QStringLiteral("DELETE FROM T WHERE rowid = 1"));
        db_.reset();
        const QString copy = dir_->filePath(QStringLiteral("copia.db"));
        DbMaintenance::compact(path(), copy);
        db_ = Database::open(copy);
        QVERIFY(TrigramIndex::exists(*db_, kT));
        QVERIFY(TrigramIndex::passesIntegrityCheck(*db_));
        QVERIFY(IndexedFind::plan(*db_, kT, QStringLiteral("A Like \"*gamen*\"")).usable());
        QCOMPARE(found(QStringLiteral("A Like \"*gamen*\"")), (QList<qint64>{2, 3}));
    }

    // A new catalogue has an index on every archive, which the structured search uses
    // with the scan's answer; derived tables are told apart from archives by name.
    void catalogueAndStructuredSearch() {
        const QString file = dir_->filePath(QStringLiteral("RACCOLIO.MDB"));
        Catalogue::create(file);
        auto db = Database::open(file);
        db->exec(QStringLiteral("PRAGMA synchronous=OFF"));
        for (const ArchiveDef& archive : Archives::all()) {
            QVERIFY(TrigramIndex::exists(*db, archive.table));
            QVERIFY(!TrigramIndex::isDerivedName(archive.table));
            QVERIFY(!TrigramIndex::isDerivedName(archive.resultTable));
        }
        QVERIFY(TrigramIndex::isDerivedName(TrigramIndex::indexName(QStringLiteral("LIBRI"))));
        const ArchiveDef& books = Archives::def(Archive::Books);
        QRandomGenerator random(7);
        for (int i = 0; i < 200; ++i)
            db->query(QStringLiteral("INSERT INTO LIBRI (TITOLO, AUTORE, NOTE) VALUES (?, ?, ?)"),
                      {randomText(random, 20), randomText(random, 10), randomText(random, 40)});
        const auto results = [&](const QString& choice, const QString& text) {
            const qint64 n = StructuredSearch::run(*db, books, choice, text).count;
            return n ? db->query(QStringLiteral("SELECT * FROM ") + books.resultTable)
                     : QList<QVariantList>{};
        };
        // The same searches twice: through the index, then by the scan.
        const auto searches = [&] {
            QRandomGenerator texts(11);
            QList<QList<QVariantList>> out;
            for (int i = 0; i < 40; ++i)
                out << results(i % 2 ? QStringLiteral("(TUTTI I CAMPI)") : QStringLiteral("TITOLO"),
                               randomText(texts, 4));
            return out;
        };
        const QList<QList<QVariantList>> indexed = searches();
        TrigramIndex::drop(*db, QStringLiteral("LIBRI"));
        QCOMPARE(searches(), indexed);
    }
};

QTEST_GUILESS_MAIN(TestTrigramIndex)
#include "tst_trigramindex.moc"
