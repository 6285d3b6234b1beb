#include <QTest>
#include <stdexcept>

#include "platform/core/AppError.h"
#include "platform/services/Guard.h"
#include "test_support/ScriptedServices.h"

using Buttons = MessageService::Buttons;
using Icon = MessageService::Icon;

class TestServices : public QObject {
    Q_OBJECT

private slots:
    void sharedErrorTextFollowsItsNumberAndSentence() {
        QVERIFY(
            sharedErrorText(3021, "X", "Nessun record").contains("3021 generato da X.\rNessun"));
        // A negative number takes the place of the space.
        QVERIFY(sharedErrorText(-7, "Y", "Z").startsWith("Si è verificato l'errore n.-7 generato"));
        QCOMPARE(sharedErrorText(AppError(53, "Src", "Desc")), sharedErrorText(53, "Src", "Desc"));
        // A description that ends its sentence is not given a second full stop.
        QVERIFY(sharedErrorText(75, "X", "Impossibile stampare.").contains("stampare.\r\r"));
        QVERIFY(sharedErrorText(75, "X", "In corso...").contains("In corso...\r\r"));
    }

    void errorAndGuardShowTheSharedText() {
        ScriptedMessageService m;
        m.error(0, "X", "nulla");
        m.error(AppError(3204, "Backup", "Il file esiste"));
        QCOMPARE(m.texts(), QStringList{sharedErrorText(3204, "Backup", "Il file esiste")});
        QCOMPARE(m.log()[0].buttons, Buttons::Ok);
        QCOMPARE(m.log()[0].icon, Icon::Critical);
        m.clear();

        bool ran = false;
        QVERIFY(runGuarded(m, "Form_Load", [&] { ran = true; }));
        QVERIFY(ran);
        // The message names the error's own source.
        QVERIFY(!runGuarded(m, "cmdOK_Click", [] {
            throw AppError(3021, "DAO.Recordset", "Nessun record corrente");
        }));
        // Any other exception is shown under the handler's name; error 0 fails silently.
        QVERIFY(!runGuarded(m, "Timer1_Timer", [] { throw std::runtime_error("boom"); }));
        QVERIFY(!runGuarded(m, "X", [] { throw AppError(0, "X", "Y"); }));
        QCOMPARE(m.texts(),
                 (QStringList{sharedErrorText(3021, "DAO.Recordset", "Nessun record corrente"),
                              sharedErrorText(ErrorCode::Unexpected, "Timer1_Timer", "boom")}));
        QCOMPARE(m.log().last().icon, Icon::Critical);
    }
};

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
