#include <QTemporaryDir>
#include <QTest>

#include "platform/settings/SettingsStore.h"
#include "prefs/PasswordRules.h"

using namespace PasswordRules;

Q_DECLARE_METATYPE(PasswordRules::ChangeOutcome)

class TestPasswordRules : public QObject {
    Q_OBJECT

private slots:
    void promptOnlyWhenSwitchedOnAndSet_data();
    void promptOnlyWhenSwitchedOnAndSet();
    void resetSwitchIsExactlySlashQ();
    void resetSwitchClearsStoredPassword();
    void entriesCompareExactly();
    void secondWrongEntryEndsTheProgram();
    void rightEntryAfterOneWrongIsAccepted();
    void changeChecks_data();
    void changeChecks();
};

void TestPasswordRules::promptOnlyWhenSwitchedOnAndSet_data() {
    QTest::addColumn<QString>("onPassword");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("prompt");
    QTest::newRow("on and set") << "1"
                                << "segreto" << true;
    QTest::newRow("on, none set") << "1"
                                  << "" << false;
    QTest::newRow("off, set") << "0"
                              << "segreto" << false;
    QTest::newRow("absent, set") << ""
                                 << "segreto" << false;
    QTest::newRow("not exactly 1") << "1 "
                                   << "segreto" << false;
    QTest::newRow("blank password counts") << "1"
                                           << " " << true;
}

void TestPasswordRules::promptOnlyWhenSwitchedOnAndSet() {
    QFETCH(QString, onPassword);
    QFETCH(QString, password);
    QFETCH(bool, prompt);
    QCOMPARE(promptNeeded(onPassword, password), prompt);

    QTemporaryDir root;
    SettingsStore store(root.path());
    store.ensureDefaults();
    store.write(QStringLiteral("OnPassword"), onPassword);
    store.write(QStringLiteral("Password"), password);
    QCOMPARE(promptNeeded(store), prompt);
}

void TestPasswordRules::resetSwitchIsExactlySlashQ() {
    QVERIFY(isResetSwitch(QStringLiteral("/q")));
    QVERIFY(!isResetSwitch(QStringLiteral("/Q")));
    QVERIFY(!isResetSwitch(QStringLiteral("/q altro")));
    QVERIFY(!isResetSwitch(QStringLiteral("/qq")));
    QVERIFY(!isResetSwitch(QStringLiteral(" /q")));
    QVERIFY(!isResetSwitch(QString()));
}

void TestPasswordRules::resetSwitchClearsStoredPassword() {
    QTemporaryDir root;
    SettingsStore store(root.path());
    store.ensureDefaults();
    store.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    store.write(QStringLiteral("Password"), QStringLiteral("segreto"));

    QVERIFY(!applyResetSwitch(store, QStringLiteral("/Q")));
    QVERIFY(!applyResetSwitch(store, QStringLiteral("/q x")));
    QCOMPARE(store.read(QStringLiteral("Password")), QStringLiteral("segreto"));
    QVERIFY(promptNeeded(store));

    QVERIFY(applyResetSwitch(store, QStringLiteral("/q")));
    QCOMPARE(store.read(QStringLiteral("Password")), QString());
    QCOMPARE(store.read(QStringLiteral("OnPassword")), QStringLiteral("1"));
    // The next start without the switch asks nothing either, until a password is set.
    QVERIFY(!promptNeeded(store));
}

void TestPasswordRules::entriesCompareExactly() {
    bool retried = false;
    QCOMPARE(judgeEntry(QStringLiteral("Segreto"), QStringLiteral("segreto"), retried),
             EntryOutcome::TryAgain);
    retried = false;
    QCOMPARE(judgeEntry(QStringLiteral("segreto "), QStringLiteral("segreto"), retried),
             EntryOutcome::TryAgain);
    retried = false;
    QCOMPARE(judgeEntry(QStringLiteral(" segreto"), QStringLiteral("segreto"), retried),
             EntryOutcome::TryAgain);
    retried = false;
    QCOMPARE(judgeEntry(QStringLiteral("segreto"), QStringLiteral("segreto"), retried),
             EntryOutcome::Accepted);
    QVERIFY(!retried);
}

void TestPasswordRules::secondWrongEntryEndsTheProgram() {
    bool retried = false;
    QCOMPARE(judgeEntry(QStringLiteral("a"), QStringLiteral("b"), retried), EntryOutcome::TryAgain);
    QVERIFY(retried);
    QCOMPARE(judgeEntry(QStringLiteral("c"), QStringLiteral("b"), retried),
             EntryOutcome::EndProgram);
}

void TestPasswordRules::rightEntryAfterOneWrongIsAccepted() {
    bool retried = false;
    QCOMPARE(judgeEntry(QStringLiteral("a"), QStringLiteral("b"), retried), EntryOutcome::TryAgain);
    QCOMPARE(judgeEntry(QStringLiteral("b"), QStringLiteral("b"), retried), EntryOutcome::Accepted);
    QVERIFY(retried);  // the flag lives on for the rest of the run
}

void TestPasswordRules::changeChecks_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("oldEntry");
    QTest::addColumn<QString>("newEntry");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<ChangeOutcome>("outcome");
    QTest::newRow("first password") << ""
                                    << ""
                                    << "abc"
                                    << "abc" << ChangeOutcome::Accepted;
    QTest::newRow("old typed with none set") << ""
                                             << "x"
                                             << "abc"
                                             << "abc" << ChangeOutcome::OldMustBeEmpty;
    QTest::newRow("change") << "abc"
                            << "abc"
                            << "def"
                            << "def" << ChangeOutcome::Accepted;
    QTest::newRow("clear") << "abc"
                           << "abc"
                           << ""
                           << "" << ChangeOutcome::Accepted;
    QTest::newRow("wrong old") << "abc"
                               << "ABC"
                               << "def"
                               << "def" << ChangeOutcome::OldMismatch;
    QTest::newRow("old with trailing blank") << "abc"
                                             << "abc "
                                             << "def"
                                             << "def" << ChangeOutcome::OldMismatch;
    QTest::newRow("empty old with one set") << "abc"
                                            << ""
                                            << "def"
                                            << "def" << ChangeOutcome::OldMismatch;
    QTest::newRow("confirmation differs in case") << "abc"
                                                  << "abc"
                                                  << "Def"
                                                  << "def" << ChangeOutcome::ConfirmMismatch;
    // The old password is checked before the confirmation.
    QTest::newRow("both wrong") << "abc"
                                << "x"
                                << "d"
                                << "e" << ChangeOutcome::OldMismatch;
}

void TestPasswordRules::changeChecks() {
    QFETCH(QString, stored);
    QFETCH(QString, oldEntry);
    QFETCH(QString, newEntry);
    QFETCH(QString, confirm);
    QFETCH(ChangeOutcome, outcome);
    QCOMPARE(judgeChange(stored, oldEntry, newEntry, confirm), outcome);
    QCOMPARE(changeMessage(outcome).isEmpty(), outcome == ChangeOutcome::Accepted);
}

QTEST_GUILESS_MAIN(TestPasswordRules)
#include "tst_passwordrules.moc"
