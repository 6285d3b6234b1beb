#include "shell/ui/Program.h"

#include <QApplication>

#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramHooks.h"

int runMainWindow(QApplication& app, Services& services, const QString& commandLine,
                  const std::function<void(QWidget* window)>& adopt) {
    MainWindow window(services, commandLine, programHooks(services));
    if (adopt)
        adopt(&window);
    int status = 0;
    QObject::connect(&window, &MainWindow::endRequested, &app, [&status](int code) {
        status = code;
        QApplication::exit(code);
    });
    window.show();
    const int result = app.exec();
    return status != 0 ? status : result;
}
