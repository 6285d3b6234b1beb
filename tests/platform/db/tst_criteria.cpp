#include <QRandomGenerator>
#include <QRegularExpression>
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

    // The same rules written as a regular expression, to cross-check the matcher.
    static QRegularExpression reference(const QString& pattern) {
        QString re;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const QChar c = pattern[i];
            if (c == QLatin1Char('*')) {
                re += QStringLiteral(".*");
            } else if (c == QLatin1Char('?')) {
                re += QLatin1Char('.');
            } else if (c == QLatin1Char('#')) {
                re += QStringLiteral("[0-9]");
            } else if (c == QLatin1Char('[') && pattern.indexOf(QLatin1Char(']'), i + 1) > 0) {
                const qsizetype close = pattern.indexOf(QLatin1Char(']'), i + 1);
                QString body = pattern.mid(i + 1, close - i - 1);
                re += QLatin1Char('[');
                if (body.startsWith(QLatin1Char('!'))) {
                    re += QLatin1Char('^');
                    body.remove(0, 1);
                }
                re += body + QLatin1Char(']');
                i = close;
            } else {
                re += QRegularExpression::escape(QString(c));
            }
        }
        return QRegularExpression(QRegularExpression::anchoredPattern(re),
                                  QRegularExpression::CaseInsensitiveOption |
                                      QRegularExpression::DotMatchesEverythingOption |
                                      QRegularExpression::UseUnicodePropertiesOption);
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

    void patternRules_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("match");
        // Edge cases; the plain rules are left to the random cross-check below.
        QTest::newRow("bracketed wildcard is literal") << "a*b"
                                                       << "a[*]b" << true;
        QTest::newRow("bracketed wildcard miss") << "axb"
                                                 << "a[*]b" << false;
        QTest::newRow("unclosed bracket is a character") << "[x"
                                                         << "[x" << true;
        QTest::newRow("multibyte suffix") << "perché CITTÀ"
                                          << "*città" << true;
    }
    void patternRules() {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(bool, match);
        QCOMPARE(Criteria::like(value, pattern), match);
        // The SQL function used by every query gives the same answer.
        const auto rows =
            db_->query(QStringLiteral("SELECT raccolio_like(?, ?)"), {value, pattern});
        QCOMPARE(rows.first().first().toInt(), match ? 1 : 0);
    }

    void nullNeverMatches() {
        QVERIFY(!Criteria::like(QString(), QStringLiteral("*")));
        const auto rows = db_->query(QStringLiteral("SELECT raccolio_like(NULL, '*')"));
        QCOMPARE(rows.first().first().toInt(), 0);
        // The row whose NOTE is Null is not found even by "*".
        QCOMPARE(titles(QStringLiteral("NOTE LIKE \"*\"")).size(), 4);
    }

    void matcherAgreesWithReference() {
        // The first five pieces make the literal-only patterns of the segment search.
        const QStringList pieces = {
            QStringLiteral("a"),    QStringLiteral("B"),    QStringLiteral("è"),
            QStringLiteral("È"),    QStringLiteral("*"),    QStringLiteral("1"),
            QStringLiteral("*"),    QStringLiteral("?"),    QStringLiteral("#"),
            QStringLiteral("[ab]"), QStringLiteral("[!a]"), QStringLiteral("[a-c]"),
            QStringLiteral("[È]"),  QStringLiteral("à")};
        const QString alphabet = QStringLiteral("aAbeèÈ1à");
        QRandomGenerator rng(12345);
        for (int round = 0; round < 20000; ++round) {
            // Empty, not Null: a Null value never matches, not even "*".
            QString pattern = QStringLiteral(""), value = QStringLiteral("");
            const int pn = rng.bounded(6);
            const int choices = round % 2 ? int(pieces.size()) : 5;
            for (int i = 0; i < pn; ++i)
                pattern += pieces[rng.bounded(choices)];
            const int vn = rng.bounded(6);
            for (int i = 0; i < vn; ++i)
                value += alphabet[rng.bounded(int(alphabet.size()))];
            const bool expected = reference(pattern).match(value).hasMatch();
            if (Criteria::like(value, pattern) != expected)
                QFAIL(qPrintable(QStringLiteral("\"%1\" like \"%2\" should be %3")
                                     .arg(value, pattern, expected ? "true" : "false")));
        }
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
        QCOMPARE(like("a0a0", "2aa0a0"), 1);
        QCOMPARE(like("c1a1", "61"), 0);  // overlong "a"
        QCOMPARE(like("c1a1", "3f3f"), 1);
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
