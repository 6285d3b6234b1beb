#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "platform/core/AppInfo.h"
#include "platform/ui/QtServices.h"

class TestQtServices : public QObject {
    Q_OBJECT

private:
    // Answers the next modal message box from inside its event loop.
    static void answerNextBox(QMessageBox::StandardButton button, QString* seenTitle,
                              QString* seenText, QMessageBox::StandardButton* seenDefault) {
        QTimer::singleShot(0, [=] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            *seenTitle = box->windowTitle();
            *seenText = box->text();
            *seenDefault = box->standardButton(box->defaultButton());
            box->button(button)->click();
        });
    }

private slots:
    void initTestCase() { QVERIFY(installItalianTranslations(*qApp)); }

    void standardButtonsReadItalian() {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Sì"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("No"));
    }

    void messageBoxCarriesTitleAndAnswer() {
        QtMessageService messages;
        QString title, text;
        QMessageBox::StandardButton def = QMessageBox::NoButton;

        answerNextBox(QMessageBox::No, &title, &text, &def);
        QCOMPARE(messages.show("Uno\rDue", MessageService::Buttons::YesNo,
                               MessageService::Icon::Question),
                 MessageService::Answer::No);
        QCOMPARE(title, AppInfo::title());
        QCOMPARE(text, QStringLiteral("Uno\nDue"));
        QCOMPARE(def, QMessageBox::Yes);

        answerNextBox(QMessageBox::Yes, &title, &text, &def);
        QVERIFY(messages.question("Sicuro?"));

        answerNextBox(QMessageBox::Ok, &title, &text, &def);
        QCOMPARE(messages.show("<b>x</b>", MessageService::Buttons::Ok, MessageService::Icon::None),
                 MessageService::Answer::Ok);
        QCOMPARE(title, AppInfo::title());

        // Escape on a question answers No.
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QVERIFY(!messages.question("Sicuro?"));
    }

    void saveDialogAddsSuffixAndNeverAsksToOverwrite() {
        QTemporaryDir dir;
        QFile existing(dir.filePath("copia.bk4"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        QtFileDialogService files;
        auto asked = std::make_shared<bool>(false);
        QTimer::singleShot(0, [asked] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            // An overwrite question would block inside accept(): answer it to see it.
            QTimer::singleShot(0, [asked] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    *asked = true;
                    box->button(QMessageBox::Yes)->click();
                }
            });
            dialog->selectFile("copia");
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
        });
        QCOMPARE(files.saveFileName("Salva", dir.path(), "Backup (*.bk4)", "bk4"),
                 dir.filePath("copia.bk4"));
        QVERIFY(!*asked);

        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QCOMPARE(files.openFileName("Apri", dir.path(), "*"), QString());
    }

    void inputDialogReturnsTextOrCancel() {
        QtInputService input;
        QString title;
        QTimer::singleShot(0, [&title] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                dialog->setTextValue("rosso");
                dialog->accept();
            }
        });
        QCOMPARE(input.getText("Cerca:", "", "blu"), std::optional<QString>("rosso"));
        QCOMPARE(title, AppInfo::title());

        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QCOMPARE(input.getText("Cerca:", "Trova"), std::nullopt);
    }
};

QTEST_MAIN(TestQtServices)
#include "tst_qtservices.moc"
