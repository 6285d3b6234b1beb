#include <QTest>
#include <stdexcept>

#include "platform/core/AppError.h"
#include "platform/services/Guard.h"
#include "test_support/ScriptedServices.h"

using Buttons = MessageService::Buttons;
using Icon = MessageService::Icon;
using Answer = MessageService::Answer;

class TestServices : public QObject {
    Q_OBJECT

private slots:
    void sharedErrorTextIsExact() {
        QCOMPARE(sharedErrorText(3021, "X", "Nessun record corrente"),
                 QStringLiteral("Si è verificato l'errore n. 3021 generato da X.\r"
                                "Nessun record corrente.\r\r"
                                "Se il problema persiste, contattare il servizio di assistenza "
                                "tecnica."));
        QCOMPARE(sharedErrorText(-7, "Y", "Z"),
                 QStringLiteral("Si è verificato l'errore n.-7 generato da Y.\rZ.\r\r"
                                "Se il problema persiste, contattare il servizio di assistenza "
                                "tecnica."));
        QCOMPARE(sharedErrorText(AppError(53, "Src", "Desc")), sharedErrorText(53, "Src", "Desc"));
    }

    void errorShowsCriticalOkExceptForZero() {
        ScriptedMessageService m;
        m.error(0, "X", "nulla");
        QCOMPARE(m.count(), 0);
        m.error(AppError(3204, "Backup", "Il file esiste"));
        QCOMPARE(m.count(), 1);
        QCOMPARE(m.log()[0].text, sharedErrorText(3204, "Backup", "Il file esiste"));
        QCOMPARE(m.log()[0].buttons, Buttons::Ok);
        QCOMPARE(m.log()[0].icon, Icon::Critical);
    }

    void guardCatchesAndShows() {
        ScriptedMessageService m;
        bool ran = false;
        QVERIFY(runGuarded(m, "Form_Load", [&] { ran = true; }));
        QVERIFY(ran);
        QCOMPARE(m.count(), 0);

        // The body ends at the throw; the message names the error's own source.
        bool after = false;
        QVERIFY(!runGuarded(m, "cmdOK_Click", [&] {
            throw AppError(3021, "DAO.Recordset", "Nessun record corrente");
            after = true;
        }));
        QVERIFY(!after);
        QCOMPARE(m.count(), 1);
        QCOMPARE(m.lastText(), sharedErrorText(3021, "DAO.Recordset", "Nessun record corrente"));
        QCOMPARE(m.log().last().icon, Icon::Critical);

        // Any other exception is shown under the handler's name.
        QVERIFY(!runGuarded(m, "Timer1_Timer", [] { throw std::runtime_error("boom"); }));
        QCOMPARE(m.count(), 2);
        QCOMPARE(m.lastText(), sharedErrorText(ErrorCode::Unexpected, "Timer1_Timer", "boom"));

        // Error 0 fails the handler without a message.
        QVERIFY(!runGuarded(m, "X", [] { throw AppError(0, "X", "Y"); }));
        QCOMPARE(m.count(), 2);
    }

    void scriptedMessagesLogAndAnswerInOrder() {
        ScriptedMessageService m;
        m.queueYes();
        m.queueNo();
        m.information("Info");
        m.plain("Conteggio");
        QVERIFY(m.question("Prima?"));
        QCOMPARE(m.pendingAnswers(), 1);
        QCOMPARE(m.show("Seconda?", Buttons::YesNo, Icon::None), Answer::No);
        QCOMPARE(m.texts(), (QStringList{"Info", "Conteggio", "Prima?", "Seconda?"}));
        QCOMPARE(m.log()[0].icon, Icon::Information);
        QCOMPARE(m.log()[1].icon, Icon::None);
        QCOMPARE(m.log()[2].icon, Icon::Question);
        QCOMPARE(m.log()[2].buttons, Buttons::YesNo);
        QCOMPARE(m.pendingAnswers(), 0);
        m.clear();
        QCOMPARE(m.count(), 0);
        QCOMPARE(m.lastText(), QString());
    }

    void unansweredQuestionFailsTheTest() {
        ScriptedMessageService m;
        QEXPECT_FAIL("", "a Yes/No message with nothing queued must fail", Continue);
        QCOMPARE(m.show("Sicuro?", Buttons::YesNo, Icon::Question), Answer::No);
        QCOMPARE(m.count(), 1);
    }

    void unusedAnswersFailTheTest() {
        {
            ScriptedMessageService m;
            m.queueYes();
            QEXPECT_FAIL("", "an unused message answer must fail", Continue);
        }
        {
            ScriptedFileDialogService f;
            f.queueFileName("/tmp/x");
            QEXPECT_FAIL("", "an unused file name must fail", Continue);
        }
        {
            ScriptedInputService i;
            i.queueCancel();
            QEXPECT_FAIL("", "an unused input answer must fail", Continue);
        }
        QVERIFY(!QTest::currentTestFailed());
    }

    void scriptedFileDialogs() {
        ScriptedFileDialogService f;
        f.queueFileName("/a/b.bk4");
        f.queueFileName("");
        QCOMPARE(f.saveFileName("Salva", "/a", "Backup (*.bk4)", "bk4"),
                 QStringLiteral("/a/b.bk4"));
        QCOMPARE(f.openFileName("Apri", "/a", "*"), QString());
        QCOMPARE(f.captions(), (QStringList{"Salva", "Apri"}));

        QEXPECT_FAIL("", "a file dialog with nothing queued must fail", Continue);
        QCOMPARE(f.openFileName("Ancora", "", ""), QString());
        QCOMPARE(f.captions().size(), 3);
    }

    void scriptedInput() {
        ScriptedInputService i;
        i.queueText("rosso");
        i.queueCancel();
        InputService& input = i;
        QCOMPARE(input.getText("Cerca:", "Trova"), std::optional<QString>("rosso"));
        QCOMPARE(input.getText("Cerca:", "Trova"), std::nullopt);
        QCOMPARE(i.prompts(), (QStringList{"Cerca:", "Cerca:"}));

        QEXPECT_FAIL("", "a prompt with nothing queued must fail", Continue);
        QCOMPARE(input.getText("Altro:", ""), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
