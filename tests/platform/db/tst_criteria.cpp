#include <QTemporaryDir>
#include <QtTest>

#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "test_support/ErrorOf.h"

// Pattern rules, criterion forms and record-source texts, checked through the
// rows they select.
class TestCriteria : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::shared_ptr<Database> db_;

    // TITOLO of every row of LIBRI the criterion selects, in table order.
    QStringList titles(const QString& criterion) {
        auto rs =
            db_->openRecordSet(QStringLiteral("SELECT LIBRI.* FROM LIBRI WHERE ") + criterion);
        QStringList out;
        for (int i = 0; i < rs->recordCount(); ++i) {
            rs->setAbsolutePosition(i);
            out << rs->value(QStringLiteral("TITOLO")).toString();
        }
        return out;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        db_ = Database::open(dir_.filePath(QStringLiteral("c.db")),
                             Database::OpenMode::CreateIfMissing);
        db_->createTable(QStringLiteral("LIBRI"),
                         {QStringLiteral("TITOLO"), QStringLiteral("NOTE"), QStringLiteral("NOME"),
                          QStringLiteral("COGNOME")});
        const QList<QVariantList> rows = {
            {QStringLiteral("Il rosso e il nero"), QStringLiteral("classico"),
             QStringLiteral("Henri"), QStringLiteral("Beyle")},
            {QStringLiteral("Cappuccetto Rosso"), QVariant(), QStringLiteral("Charles"),
             QStringLiteral("Perrault")},
            {QStringLiteral("È l'alba"), QStringLiteral("poesie 1999"), QStringLiteral("Ada"),
             QStringLiteral("Negri")},
            {QStringLiteral("Il \"mondo\" nuovo"), QStringLiteral("distopia"),
             QStringLiteral("Aldous"), QStringLiteral("Huxley")},
            {QStringLiteral("Zanna bianca"), QStringLiteral("avventura"), QStringLiteral("Jack"),
             QStringLiteral("London")},
        };
        for (const QVariantList& r : rows)
            db_->query(QStringLiteral("INSERT INTO LIBRI VALUES (?, ?, ?, ?)"), r);
    }

    void patternRules() {
        // Each rule once; the matcher against a reference on every input is the fuzz
        // target's work. Literals and stars take a segment search, the rest a walk.
        const struct {
            const char *value, *pattern;
            bool match;
        } cases[] = {
            {"il rosso", "rosso*", false},  // a literal start is anchored
            {"perché CITTÀ", "*città", true},
            {"ab, ab", "*ab", true},  // the last piece ends the text
            {"è", "?", true},         // one letter, not one byte
            {"Èx", "è?", true},
            {"x1", "x#", true},
            {"x0", "x#", true},  // both ends of the digits
            {"x9", "x#", true},
            {"xa", "x#", false},
            {"B", "[a-c]", true},
            {"ab", "[!a]*", false},
            {"a*b", "a[*]b", true},  // a bracketed wildcard is literal
            {"axb", "a[*]b", false},
            {"[x", "[x", true},  // an unclosed bracket is a character
        };
        for (const auto& c : cases) {
            const QString value = QString::fromUtf8(c.value);
            const QString pattern = QString::fromUtf8(c.pattern);
            QVERIFY2(Criteria::like(value, pattern) == c.match, c.pattern);
            // The SQL function used by every query gives the same answer.
            const auto rows =
                db_->query(QStringLiteral("SELECT raccolio_like(?, ?)"), {value, pattern});
            QVERIFY2(rows.first().first().toInt() == (c.match ? 1 : 0), c.pattern);
        }
    }

    void nullNeverMatches() {
        QVERIFY(!Criteria::like(QString(), QStringLiteral("*")));
        const auto rows = db_->query(QStringLiteral("SELECT raccolio_like(NULL, '*')"));
        QCOMPARE(rows.first().first().toInt(), 0);
        // The row whose NOTE is Null is not found even by "*".
        QCOMPARE(titles(QStringLiteral("NOTE LIKE \"*\"")).size(), 4);
    }

    void invalidUtf8StoredTextMatchesByteForByte() {
        // Text from old files may hold stray bytes: each is one character of its own,
        // and an overlong form is not the letter it spells.
        const auto like = [&](const char* valueHex, const char* patternHex) {
            return db_
                ->query(QStringLiteral("SELECT raccolio_like(CAST(x'%1' AS TEXT), "
                                       "CAST(x'%2' AS TEXT))")
                            .arg(QLatin1String(valueHex), QLatin1String(patternHex)))
                .first()
                .first()
                .toInt();
        };
        QCOMPARE(like("c30000a0", "2aa0"), 1);  // "*\xA0" after a NUL
        QCOMPARE(like("c1a1", "61"), 0);        // overlong "a"
    }

    void quotedContainsPatternDoublesQuotes() {
        // A searched quote is found, not a way out of the criterion.
        QCOMPARE(titles(QStringLiteral("TITOLO LIKE ") +
                        Criteria::quotedContainsPattern(QStringLiteral("\"mondo\""))),
                 QStringList{QStringLiteral("Il \"mondo\" nuovo")});
        QCOMPARE(titles(QStringLiteral("TITOLO LIKE ") +
                        Criteria::quotedContainsPattern(QStringLiteral("\" OR 1=1 OR \""))),
                 QStringList{});
    }

    void criterionForms_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QStringList>("expected");
        const QString rosso1 = QStringLiteral("Il rosso e il nero");
        const QString rosso2 = QStringLiteral("Cappuccetto Rosso");
        QTest::newRow("keyword case") << "titolo like \"*ROSSO*\"" << QStringList{rosso1, rosso2};
        QTest::newRow("structured search")
            << "((LIBRI.TITOLO) LIKE \"*rosso*\")" << QStringList{rosso1, rosso2};
        QTest::newRow("bracketed") << "[NOTE] LIKE \"*classico*\"" << QStringList{rosso1};
        QTest::newRow("no blank before OR")
            << "NOME LIKE \"*jack*\"OR COGNOME LIKE \"*jack*\"OR NOTE LIKE \"*jack*\""
            << QStringList{QStringLiteral("Zanna bianca")};
        QTest::newRow("and binds tighter")
            << "NOTE LIKE \"*poesie*\" OR TITOLO LIKE \"*rosso*\" AND NOME LIKE \"Charles\""
            << QStringList{rosso2, QStringLiteral("È l'alba")};
        QTest::newRow("parentheses change it")
            << "(NOTE LIKE \"*poesie*\" OR TITOLO LIKE \"*rosso*\") AND NOME LIKE \"Charles\""
            << QStringList{rosso2};
        QTest::newRow("not") << "NOT TITOLO LIKE \"*o*\""
                             << QStringList{QStringLiteral("È l'alba"),
                                            QStringLiteral("Zanna bianca")};
        QTest::newRow("not takes one term")
            << "NOT TITOLO LIKE \"*o*\" AND NOTE LIKE \"*a*\""
            << QStringList{QStringLiteral("Zanna bianca")};
        QTest::newRow("doubled single quote")
            << "TITOLO LIKE '*l''alba'" << QStringList{QStringLiteral("È l'alba")};
    }
    void criterionForms() {
        QFETCH(QString, criterion);
        QFETCH(QStringList, expected);
        QCOMPARE(titles(criterion), expected);
    }

    void compiledSqlHoldsNoUserText() {
        QVariantList params;
        const QString sql =
            Criteria::toSql(QStringLiteral("TITOLO LIKE \"x'); DROP TABLE LIBRI; --\""),
                            db_->fieldNames(QStringLiteral("LIBRI")), params);
        QVERIFY(!sql.contains(QStringLiteral("DROP")));
        QCOMPARE(params, QVariantList{QStringLiteral("x'); DROP TABLE LIBRI; --")});
    }

    void unknownFieldNamesTheField() {
        QString description;
        QCOMPARE(errorOf([&] { titles(QStringLiteral("AUTORE LIKE \"*x*\"")); }, &description),
                 ErrorCode::ItemNotFound);
        QVERIFY(description.contains(QStringLiteral("AUTORE")));
        auto rs = db_->openRecordSet(QStringLiteral("LIBRI"));
        QCOMPARE(errorOf([&] {
                     rs->findFirst(QStringLiteral("TITOLO LIKE \"*\" OR EDITORE LIKE \"*\""));
                 }),
                 ErrorCode::ItemNotFound);
    }

    void badSyntax() {
        for (const char* criterion :
             {"TITOLO LIKE", "TITOLO LIKE rosso", "TITOLO LIKE \"rosso", "TITOLO LIKE \"a\" OR",
              "(TITOLO LIKE \"a\"", "TITOLO = \"a\"", "1=1", ""}) {
            QVariantList params;
            QCOMPARE(errorOf([&] {
                         Criteria::toSql(QString::fromUtf8(criterion), {QStringLiteral("TITOLO")},
                                         params);
                     }),
                     ErrorCode::BadCriterion);
        }
    }

    void recordSources() {
        struct Case {
            const char *text, *table, *criterion, *orderBy;
        };
        for (const Case& c : {
                 Case{"LIBRI", "LIBRI", "", ""},
                 Case{"select GEN2.* from GEN2 order by GENERE", "GEN2", "", "GENERE"},
                 Case{"SELECT AUTORI.* FROM AUTORI ORDER BY AUTORI.COGNOME DESC;", "AUTORI", "",
                      "COGNOME DESC"},
                 Case{"SELECT LIBRI.* FROM LIBRI WHERE ((LIBRI.TITOLO) LIKE \"*rosso*\")", "LIBRI",
                      "((LIBRI.TITOLO) LIKE \"*rosso*\")", ""},
                 Case{"Select * From LIBRI Where TITOLO LIKE \"* order by x*\" Order By TITOLO",
                      "LIBRI", "TITOLO LIKE \"* order by x*\"", "TITOLO"},
             }) {
            const RecordSource rs = RecordSource::parse(QString::fromUtf8(c.text));
            QCOMPARE(rs.table, QString::fromUtf8(c.table));
            QCOMPARE(rs.criterion, QString::fromUtf8(c.criterion));
            QCOMPARE(rs.orderBy, QString::fromUtf8(c.orderBy));
        }
    }

    void badRecordSources() {
        for (const QString& text :
             {QStringLiteral("DELETE FROM LIBRI"), QStringLiteral("SELECT TITOLO FROM LIBRI"),
              QStringLiteral("SELECT CDROM.* FROM LIBRI"), QStringLiteral("LIBRI; DROP TABLE X"),
              QStringLiteral("SELECT * FROM LIBRI ORDER TITOLO"), QStringLiteral(""),
              QStringLiteral("[]"), QStringLiteral("SELECT * FROM [ ]")}) {
            QCOMPARE(errorOf([&] { RecordSource::parse(text); }), ErrorCode::BadCriterion);
        }
    }
};

QTEST_GUILESS_MAIN(TestCriteria)
#include "tst_criteria.moc"
