#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "shell/ui/CommandBar.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramHooks.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

// For widget tests only (they link the gui library): the real main window on a
// TempProgramFolder, unscaled, shown and through its first activation.
inline std::unique_ptr<MainWindow> startMainWindow(TempProgramFolder& folder,
                                                   StartupHooks hooks = {},
                                                   const QString& commandLine = {}) {
    if (!hooks.screenSize)
        hooks.screenSize = [] { return QSize(640, 480); };
    auto window = std::make_unique<MainWindow>(folder.services, commandLine, std::move(hooks));
    window->show();
    const bool started = QTest::qWaitFor(
        [&] { return window->windowTitle() == QStringLiteral("RACCOLIO 5.5 PRO"); }, 5000);
    if (!started)
        QTest::qFail("the main window did not finish its first activation", __FILE__, __LINE__);
    return window;
}

// The main window with the program's own windows behind its commands, without the about box.
inline std::unique_ptr<MainWindow> startProgram(TempProgramFolder& folder) {
    folder.settings.write(QStringLiteral("About"), QStringLiteral("0"));
    return startMainWindow(folder, programHooks(folder.services));
}

// Closes the window without the exit question and checks that no queued answer is left.
inline void closeMainWindow(TempProgramFolder& folder, std::unique_ptr<MainWindow>& window) {
    if (window) {
        folder.settings.write(QStringLiteral("Uscita"), QStringLiteral("0"));
        window->close();
    }
    window.reset();
    QCOMPARE(folder.messages.pendingAnswers(), 0);
}

// Runs an action that shows a modal window; `act`, if given, works on that window, which is
// then closed if still open. Returns the window's name (empty when none showed).
inline QString modalNameDuring(const std::function<void()>& action,
                               std::function<void(QWidget&)> act = {}) {
    QString seen;
    QTimer::singleShot(0, [&seen, act = std::move(act)] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        seen = modal->objectName();
        if (act)
            act(*modal);
        if (modal && modal->isVisible())
            modal->close();
    });
    action();
    return seen;
}

// The fields a test class driving the main window shares, mixed into it: the test makes the
// folder (and the window) in init() and calls closeAll() in cleanup().
struct MainWindowTest {
    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<MainWindow> window;

    template <typename T>
    T* control(const char* name) const {
        return child<T>(*window, name);
    }
    void click(const char* id) { window->commandBar().click(QString::fromUtf8(id)); }
    void closeAll() {
        closeMainWindow(*folder, window);
        folder.reset();
    }
};
