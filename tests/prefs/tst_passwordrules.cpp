#include <QTemporaryDir>
#include <QTest>

#include "platform/settings/SettingsStore.h"
#include "prefs/PasswordRules.h"

using namespace PasswordRules;

namespace {

const QString kOn = QStringLiteral("OnPassword");
const QString kPassword = QStringLiteral("Password");

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class TestPasswordRules : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    SettingsStore store_{root_.path()};

private slots:
    void init() { store_.ensureDefaults(); }

    void promptOnlyWhenSwitchedOnAndSet() {
        const struct {
            const char* on;
            const char* password;
            bool prompt;
        } cases[] = {
            {"1", "segreto", true}, {"1", "", false},         {"0", "segreto", false},
            {"", "segreto", false}, {"1 ", "segreto", false}, {"1", " ", true},  // blank counts
        };
        for (const auto& c : cases) {
            store_.write(kOn, text(c.on));
            store_.write(kPassword, text(c.password));
            QVERIFY2(promptNeeded(store_) == c.prompt, c.on);
        }
    }

    void onlyExactlySlashQClearsThePassword() {
        store_.write(kOn, QStringLiteral("1"));
        store_.write(kPassword, QStringLiteral("segreto"));
        for (const char* other : {"/Q", "/q altro", "/qq", " /q", ""}) {
            QVERIFY2(!applyResetSwitch(store_, text(other)), other);
            QCOMPARE(store_.read(kPassword), QStringLiteral("segreto"));
        }
        QVERIFY(applyResetSwitch(store_, QStringLiteral("/q")));
        QCOMPARE(store_.read(kPassword), QString());
        QCOMPARE(store_.read(kOn), QStringLiteral("1"));
        // The next start without the switch asks nothing either, until a password is set.
        QVERIFY(!promptNeeded(store_));
    }

    // Entries compare exactly. One wrong entry is forgiven for the whole run: a right
    // one still opens, and the next wrong one ends the program.
    void entriesCompareExactlyAndASecondWrongOneEnds() {
        const QString stored = QStringLiteral("segreto");
        for (const char* near : {"Segreto", "segreto ", " segreto"}) {
            bool retried = false;
            QCOMPARE(judgeEntry(text(near), stored, retried), EntryOutcome::TryAgain);
            QCOMPARE(judgeEntry(stored, stored, retried), EntryOutcome::Accepted);
            QVERIFY(retried);
            QCOMPARE(judgeEntry(text(near), stored, retried), EntryOutcome::EndProgram);
        }
        bool retried = false;
        QCOMPARE(judgeEntry(stored, stored, retried), EntryOutcome::Accepted);
        QVERIFY(!retried);
    }

    void changeChecks() {
        using O = ChangeOutcome;
        const struct {
            const char* stored;
            const char* old;
            const char* next;
            const char* confirm;
            ChangeOutcome outcome;
        } cases[] = {
            {"", "", "abc", "abc", O::Accepted},         // first password
            {"", "x", "abc", "abc", O::OldMustBeEmpty},  // old typed with none set
            {"abc", "abc", "def", "def", O::Accepted},   // change
            {"abc", "abc", "", "", O::Accepted},         // clear
            {"abc", "ABC", "def", "def", O::OldMismatch},
            {"abc", "abc ", "def", "def", O::OldMismatch},
            {"abc", "", "def", "def", O::OldMismatch},
            {"abc", "abc", "Def", "def", O::ConfirmMismatch},
            {"abc", "x", "d", "e", O::OldMismatch},  // the old one is checked first
        };
        for (const auto& c : cases) {
            const ChangeOutcome outcome =
                judgeChange(text(c.stored), text(c.old), text(c.next), text(c.confirm));
            QVERIFY2(
                outcome == c.outcome,
                qPrintable(QStringLiteral("%1/%2/%3/%4").arg(c.stored, c.old, c.next, c.confirm)));
            QCOMPARE(changeMessage(outcome).isEmpty(), outcome == O::Accepted);
        }
        // Each refusal gets its own warning.
        QCOMPARE(changeMessage(O::OldMismatch), oldMismatchWarning());
        QCOMPARE(changeMessage(O::OldMustBeEmpty), noPasswordYetHint());
        QCOMPARE(changeMessage(O::ConfirmMismatch), confirmMismatchWarning());
    }
};

QTEST_GUILESS_MAIN(TestPasswordRules)
#include "tst_passwordrules.moc"
