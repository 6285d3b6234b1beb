#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Transaction.h"
#include "test_support/ErrorOf.h"

// Moves, editing, positions, bookmarks and finds of a record set.
class TestRecordSet : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::shared_ptr<Database> db_;

    // Table T (NOME, GENERE) holding the given names in this order; GENERE is the
    // name reversed, so that an order by GENERE differs from the table order.
    void makeTable(const QStringList& names) {
        Transaction transaction(*db_);
        db_->createTable(QStringLiteral("T"), {QStringLiteral("NOME"), QStringLiteral("GENERE")});
        for (const QString& n : names) {
            QString reversed = n;
            std::reverse(reversed.begin(), reversed.end());
            db_->query(QStringLiteral("INSERT INTO T VALUES (?, ?)"), {n, reversed});
        }
        transaction.commit();
    }

    std::unique_ptr<RecordSet> open(const QString& source = QStringLiteral("T")) {
        return db_->openRecordSet(source);
    }

    static QString name(const RecordSet& rs) { return rs.value(QStringLiteral("nome")).toString(); }

    // Every name of the set, walking it from the first record.
    static QStringList walk(RecordSet& rs) {
        QStringList out;
        if (rs.recordCount() == 0)
            return out;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            out << name(rs);
        return out;
    }

    // Where a find lands: the current name, or "-" when it finds nothing.
    static QString hit(const RecordSet& rs, bool found) {
        if (found == rs.noMatch())
            return QStringLiteral("noMatch disagrees");
        return found ? name(rs) : QStringLiteral("-");
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        db_ = Database::open(dir_->filePath(QStringLiteral("r.db")),
                             Database::OpenMode::CreateIfMissing);
    }
    void cleanup() {
        db_.reset();
        dir_.reset();
    }

    void movesAtBothEnds() {
        makeTable({"a", "b", "c"});
        auto rs = open();
        QCOMPARE(name(*rs), QStringLiteral("a"));  // a new set stands on its first record
        rs->movePrevious();
        QVERIFY(rs->bof() && !rs->eof());
        QCOMPARE(rs->absolutePosition(), -1);
        QCOMPARE(errorOf([&] { rs->value(0); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs->movePrevious(); }), ErrorCode::NoCurrentRecord);
        rs->moveNext();
        QCOMPARE(name(*rs), QStringLiteral("a"));
        rs->moveLast();
        rs->moveNext();
        QVERIFY(rs->eof() && !rs->bof());
        QCOMPARE(errorOf([&] { rs->moveNext(); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs->deleteCurrent(); }), ErrorCode::NoCurrentRecord);
        rs->movePrevious();
        QCOMPARE(name(*rs), QStringLiteral("c"));
    }

    void emptySet() {
        makeTable({});
        auto rs = open();
        QVERIFY(rs->bof() && rs->eof());
        QCOMPARE(rs->recordCount(), 0);
        QCOMPARE(rs->percentPosition(), 0.0);
        for (const auto& op : std::vector<std::function<void()>>{
                 [&] { rs->moveFirst(); }, [&] { rs->moveLast(); }, [&] { rs->moveNext(); },
                 [&] { rs->movePrevious(); }, [&] { rs->deleteCurrent(); }, [&] { rs->value(0); },
                 [&] { rs->bookmark(); }})
            QCOMPARE(errorOf(op), ErrorCode::NoCurrentRecord);
        QVERIFY(!rs->findFirst(QStringLiteral("NOME LIKE \"*\"")));
        QVERIFY(rs->noMatch());
    }

    void addStoreAndCancel() {
        makeTable({"a", "b", "c"});
        auto rs = open();
        rs->moveNext();  // on b
        rs->addNew();
        QVERIFY(rs->value(0).isNull());
        rs->setValue(QStringLiteral("NOME"), QStringLiteral("d"));
        rs->cancelUpdate();
        QCOMPARE(name(*rs), QStringLiteral("b"));  // back where it was before the add

        rs->addNew();
        rs->setValue(0, QStringLiteral("d"));
        rs->moveFirst();  // a move stores the new record first
        rs->addNew();
        rs->setValue(0, QStringLiteral("e"));
        rs->update();  // stored: joins the end and becomes current
        QCOMPARE(rs->absolutePosition(), 4);
        QCOMPARE(walk(*rs), (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(walk(*open()), (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(errorOf([&] { rs->update(); }), 3020);  // Update without AddNew or Edit
    }

    void editIsStoredByAMove() {
        makeTable({"a", "b"});
        auto rs = open();
        auto other = open();
        rs->setValue(QStringLiteral("GENERE"), QStringLiteral("x"));
        // Another set edits the other field of the same record meanwhile: not lost.
        other->setValue(0, QStringLiteral("A"));
        other->update();
        rs->moveNext();
        rs->moveFirst();
        QCOMPARE(name(*rs), QStringLiteral("A"));
        QCOMPARE(rs->value(1).toString(), QStringLiteral("x"));

        rs->setValue(1, QStringLiteral("y"));
        rs->cancelUpdate();
        QCOMPARE(rs->value(1).toString(), QStringLiteral("x"));
        // An emptied field reads back as empty text.
        rs->setValue(1, QString());
        rs->moveLast();
        rs->moveFirst();
        QVERIFY(rs->value(1).toString().isEmpty());
        rs->setValue(1, QVariant());
        rs->update();
        QVERIFY(rs->value(1).isNull());

        // A find stores a pending edit first, and so finds it.
        rs->setValue(0, QStringLiteral("nuovo"));
        QVERIFY(rs->findFirst(QStringLiteral("NOME LIKE \"nuovo\"")));
        QCOMPARE(rs->editMode(), RecordSet::EditMode::None);
        QCOMPARE(rs->absolutePosition(), 0);
    }

    void positionsAfterDelete() {
        makeTable({"a", "b", "c", "d"});
        auto rs = open();
        rs->setAbsolutePosition(1);
        rs->deleteCurrent();  // b
        QVERIFY(!rs->bof() && !rs->eof());
        QCOMPARE(errorOf([&] { rs->value(0); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(rs->recordCount(), 3);
        rs->moveNext();
        QCOMPARE(name(*rs), QStringLiteral("c"));  // the one that followed
        rs->deleteCurrent();                       // c
        rs->movePrevious();
        QCOMPARE(name(*rs), QStringLiteral("a"));  // the one before
        rs->moveLast();
        rs->deleteCurrent();  // d, the last
        rs->moveNext();
        QVERIFY(rs->eof());
        rs->movePrevious();
        rs->deleteCurrent();  // a, the only one left
        QVERIFY(rs->bof() && rs->eof());
        QCOMPARE(open()->recordCount(), 0);
    }

    void positionsAndBookmarks() {
        makeTable({"a", "b", "c", "d", "e", "f", "g"});
        auto rs = open();
        for (int i = 0; i < 7; ++i) {
            rs->setAbsolutePosition(i);
            QCOMPARE(rs->absolutePosition(), i);
            // The counter of the list windows: percent × count ÷ 100, rounded.
            QCOMPARE(qRound(rs->percentPosition() * rs->recordCount() / 100.0), i);
        }
        QCOMPARE(errorOf([&] { rs->setAbsolutePosition(7); }), ErrorCode::NoCurrentRecord);

        rs->setAbsolutePosition(2);
        const RecordSet::Bookmark c = rs->bookmark();
        rs->moveNext();
        const RecordSet::Bookmark d = rs->bookmark();
        rs->deleteCurrent();
        QCOMPARE(errorOf([&] { rs->setBookmark(d); }), ErrorCode::NoCurrentRecord);

        // Bookmarks also in a set in another order.
        auto ordered = open(QStringLiteral("SELECT T.* FROM T ORDER BY GENERE DESC"));
        ordered->setBookmark(c);
        QCOMPARE(name(*ordered), QStringLiteral("c"));
    }

    void fieldsByNameAndPosition() {
        makeTable({"a"});
        auto rs = open();
        QCOMPARE(rs->fieldNames(), (QStringList{"NOME", "GENERE"}));
        QCOMPARE(rs->fieldIndex(QStringLiteral("genere")), 1);
        QCOMPARE(errorOf([&] { rs->value(QStringLiteral("AUTORE")); }), ErrorCode::ItemNotFound);
        QCOMPARE(errorOf([&] { rs->value(2); }), ErrorCode::ItemNotFound);
        QCOMPARE(errorOf([&] { open(QStringLiteral("NOPE")); }), ErrorCode::ItemNotFound);
        QCOMPARE(errorOf([&] { open(QStringLiteral("SELECT T.* FROM T ORDER BY X")); }),
                 ErrorCode::ItemNotFound);
    }

    void findsInTableOrder() {
        makeTable({"rosa", "mela", "rosso", "pera", "rossa", "fico"});
        auto rs = open();
        const QString ros = QStringLiteral("NOME LIKE \"ros*\"");
        // A find that fails stays where it was.
        const QStringList hits{hit(*rs, rs->findLast(ros)),     hit(*rs, rs->findPrevious(ros)),
                               hit(*rs, rs->findPrevious(ros)), hit(*rs, rs->findPrevious(ros)),
                               hit(*rs, rs->findNext(ros)),     hit(*rs, rs->findFirst(ros))};
        QCOMPARE(hits, (QStringList{"rossa", "rosso", "rosa", "-", "rosso", "rosa"}));

        rs->setAbsolutePosition(3);  // pera
        const QString none = QStringLiteral("NOME LIKE \"*z*\"");
        QVERIFY(!rs->findFirst(none) && !rs->findLast(none) && !rs->findNext(none) &&
                !rs->findPrevious(none));
        QCOMPARE(name(*rs), QStringLiteral("pera"));

        // From BOF findNext starts at the first record; from EOF findPrevious at the last.
        rs->moveFirst();
        rs->movePrevious();
        QVERIFY(rs->findNext(QStringLiteral("NOME LIKE \"rosa\"")));
        rs->moveLast();
        rs->moveNext();
        QVERIFY(rs->findPrevious(QStringLiteral("NOME LIKE \"fico\"")));

        // After a delete, findNext starts with the record that followed.
        rs->setAbsolutePosition(1);
        rs->deleteCurrent();  // mela
        QVERIFY(rs->findNext(ros));
        QCOMPARE(name(*rs), QStringLiteral("rosso"));

        // A record stored by another set after this one was opened is not part of it.
        auto other = open();
        other->addNew();
        other->setValue(0, QStringLiteral("rosmarino"));
        other->update();
        QVERIFY(!rs->findNext(QStringLiteral("NOME LIKE \"rosm*\"")));
        rs->requery();
        QCOMPARE(name(*rs), QStringLiteral("rosso"));  // requery keeps the current record
        QVERIFY(rs->findNext(QStringLiteral("NOME LIKE \"rosm*\"")));
    }

    void findsInFieldOrder() {
        makeTable({"ab", "zc", "ya", "xb", "ma"});
        auto rs = open(QStringLiteral("select T.* from T order by GENERE"));
        // GENERE is the reversed name: ba, cz, ay, bx, am; in order am, ay, ba, bx, cz.
        QCOMPARE(walk(*rs), (QStringList{"ma", "ya", "ab", "xb", "zc"}));
        const QString endsB = QStringLiteral("NOME LIKE \"*b\"");
        const QString endsA = QStringLiteral("NOME LIKE \"*a\"");
        const QStringList hits{
            hit(*rs, rs->findFirst(endsB)),    hit(*rs, rs->findNext(endsB)),
            hit(*rs, rs->findNext(endsB)),     hit(*rs, rs->findLast(endsA)),
            hit(*rs, rs->findPrevious(endsA)), hit(*rs, rs->findPrevious(endsA))};
        QCOMPARE(hits, (QStringList{"ab", "xb", "-", "ya", "ma", "-"}));

        auto filtered =
            open(QStringLiteral("SELECT T.* FROM T WHERE (T.NOME LIKE \"*b\" OR "
                                "T.NOME LIKE \"*c\") ORDER BY GENERE DESC"));
        QCOMPARE(walk(*filtered), (QStringList{"zc", "xb", "ab"}));
        QVERIFY(filtered->findLast(QStringLiteral("NOME LIKE \"?b\"")));
        QCOMPARE(name(*filtered), QStringLiteral("ab"));
    }

    void italianOrder() {
        // Accents sort with their letter, capitals with small letters; ties in table order.
        makeTable({"Élgar", "albinoni", "Zappa", "Bach", "ébène", "Zappa"});
        db_->exec(QStringLiteral("UPDATE T SET GENERE = rowid"));
        auto rs = open(QStringLiteral("select T.* from T order by NOME"));
        QStringList rows;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            rows << name(*rs) + rs->value(1).toString();
        QCOMPARE(rows, (QStringList{"albinoni2", "Bach4", "ébène5", "Élgar1", "Zappa3", "Zappa6"}));
        QCOMPARE(walk(*open(QStringLiteral("SELECT T.* FROM T ORDER BY NOME DESC"))),
                 (QStringList{"Zappa", "Zappa", "Élgar", "ébène", "Bach", "albinoni"}));
        QVERIFY(rs->findFirst(QStringLiteral("NOME LIKE \"*e*\"")));  // finds in the same order
        QCOMPARE(rs->absolutePosition(), 2);
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
