#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/core/AppInfo.h"
#include "platform/core/AppState.h"
#include "platform/services/DialogOwner.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/QtServices.h"

class TestQtServices : public QObject {
    Q_OBJECT

    // Acts on the next modal dialog of type D from inside its event loop.
    template <typename D>
    static void onNextModal(std::function<void(D&)> act) {
        QTimer::singleShot(0, [act] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget()))
                act(*dialog);
        });
    }

private slots:
    void initTestCase() { QVERIFY(installItalianTranslations(*qApp)); }

    void messageBoxCarriesTitleAndAnswer() {
        QtMessageService messages;
        QString title, text;
        QMessageBox::StandardButton def = QMessageBox::NoButton;
        onNextModal<QMessageBox>([&](QMessageBox& box) {
            title = box.windowTitle();
            text = box.text();
            def = box.standardButton(box.defaultButton());
            box.button(QMessageBox::No)->click();
        });
        QCOMPARE(messages.show("Uno\rDue", MessageService::Buttons::YesNo,
                               MessageService::Icon::Question),
                 MessageService::Answer::No);
        QCOMPARE(title, AppInfo::title());
        QCOMPARE(text, QStringLiteral("Uno\nDue"));
        QCOMPARE(def, QMessageBox::Yes);

        onNextModal<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
        QVERIFY(messages.question("Sicuro?"));
        // Escape on a question answers No.
        onNextModal<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QVERIFY(!messages.question("Sicuro?"));
    }

    // The window manager cuts short a title wider than its window.
    void messageBoxAsWideAsItsTitle() {
        const QString title = QString(QStringLiteral("Titolo lungo ")).repeated(6);
        int width = 0, needed = 0;
        onNextModal<QMessageBox>([&](QMessageBox& box) {
            width = box.width();
            needed = QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle());
            box.button(QMessageBox::Ok)->click();
        });
        QtMessageService().showCaptioned(title, QStringLiteral("Sì."), MessageService::Buttons::Ok,
                                         MessageService::Icon::None);
        QVERIFY(needed > 0);
        // Room for the title and, beside it, the frame's icon and buttons.
        QVERIFY2(width >= needed + 100,
                 qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed + 100)));
    }

    // A dialog asked for by a window that is modal over the main window (a report preview
    // over the structured search) belongs to that window: over the main window it would push
    // the asker behind, where it still blocks the window the user sees.
    void dialogsBelongToTheModalWindowThatAsks() {
        QWidget main;
        main.show();
        QWidget preview(&main, Qt::Window);
        preview.setWindowModality(Qt::WindowModal);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));

        QtMessageService messages(&main);
        QWidget* boxOwner = nullptr;
        onNextModal<QMessageBox>([&](QMessageBox& box) {
            boxOwner = box.parentWidget();
            box.button(QMessageBox::Ok)->click();
        });
        messages.information(QStringLiteral("Fatto."));
        QCOMPARE(boxOwner, &preview);

        QtFileDialogService files(&main);
        QWidget* dialogOwner = nullptr;
        onNextModal<QFileDialog>([&](QFileDialog& dialog) {
            dialogOwner = dialog.parentWidget();
            dialog.reject();
        });
        QVERIFY(files.saveFileName(QStringLiteral("Esporta"), QString(), QString(), QString())
                    .isEmpty());
        QCOMPARE(dialogOwner, &preview);
    }

    // A window that is not modal (a report preview over the main window) names itself as
    // the asker: its dialogs go over it although the main window is the active one (as
    // just after an earlier dialog closed), and it has the focus back after each, even
    // when the window manager hands it to another window meanwhile.
    void dialogsBelongToTheWindowThatNamesItself() {
        QWidget main;
        QWidget preview(&main, Qt::Window);
        preview.show();
        main.show();
        QTRY_COMPARE(QApplication::activeWindow(), &main);

        QTemporaryDir dir;
        SettingsStore settings(dir.path());
        AppState state;
        QtMessageService messages(&main);
        QtFileDialogService files(&main);
        QtInputService input(&main);
        Services services{messages, files, input, settings, state};
        const DialogOwner asker(services, &preview);
        const auto elsewhere = [&main] {
            main.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &main);
        };

        QWidget* boxOwner = nullptr;
        onNextModal<QMessageBox>([&](QMessageBox& box) {
            boxOwner = box.parentWidget();
            elsewhere();
            box.button(QMessageBox::Ok)->click();
        });
        messages.information(QStringLiteral("Fatto."));
        QCOMPARE(boxOwner, &preview);
        QTRY_COMPARE(QApplication::activeWindow(), &preview);

        QWidget* dialogOwner = nullptr;
        onNextModal<QFileDialog>([&](QFileDialog& dialog) {
            dialogOwner = dialog.parentWidget();
            elsewhere();
            dialog.reject();
        });
        QVERIFY(files.saveFileName(QStringLiteral("Esporta"), QString(), QString(), QString())
                    .isEmpty());
        QCOMPARE(dialogOwner, &preview);
        QTRY_COMPARE(QApplication::activeWindow(), &preview);
    }

    void saveDialogAddsSuffixAndNeverAsksToOverwrite() {
        QTemporaryDir dir;
        QFile existing(dir.filePath("copia.bk4"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        QtFileDialogService files;
        auto asked = std::make_shared<bool>(false);  // outlives a question that never came
        onNextModal<QFileDialog>([asked](QFileDialog& dialog) {
            // An overwrite question would block inside accept(): answer it to see it.
            onNextModal<QMessageBox>([asked](QMessageBox& box) {
                *asked = true;
                box.button(QMessageBox::Yes)->click();
            });
            dialog.selectFile("copia");
            static_cast<QDialog&>(dialog).accept();  // QFileDialog hides its override
        });
        QCOMPARE(files.saveFileName("Salva", dir.path(), "Backup (*.bk4)", "bk4"),
                 dir.filePath("copia.bk4"));
        QVERIFY(!*asked);

        onNextModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QCOMPARE(files.openFileName("Apri", dir.path(), "*"), QString());
    }

    void inputDialogReturnsTextOrCancel() {
        QtInputService input;
        QString title;
        onNextModal<QInputDialog>([&title](QInputDialog& dialog) {
            title = dialog.windowTitle();
            dialog.setTextValue("rosso");
            dialog.accept();
        });
        QCOMPARE(input.getText("Cerca:", "", "blu"), std::optional<QString>("rosso"));
        QCOMPARE(title, AppInfo::title());
        onNextModal<QInputDialog>([](QInputDialog& dialog) { dialog.reject(); });
        QCOMPARE(input.getText("Cerca:", "Trova"), std::nullopt);
    }
};

QTEST_MAIN(TestQtServices)
#include "tst_qtservices.moc"
