#include <QApplication>
#include <QMainWindow>

#include "cards/Catalogue.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    try {
        Catalogue::openOrCreate(Catalogue::defaultPath());
    } catch (const AppError& e) {
        return 1;
    }
    QMainWindow w;
    w.setWindowTitle(AppInfo::title().toUpper());
    w.show();
    return app.exec();
}
