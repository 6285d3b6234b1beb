#pragma once

#include <QString>
#include <functional>

class QApplication;
class QWidget;
struct Services;

// Shows the main window on the running program's services and runs the event loop until
// the program ends; returns its exit status. `adopt` is handed the main window first,
// so that the dialog services can open their dialogs over it.
int runMainWindow(QApplication& app, Services& services, const QString& commandLine,
                  const std::function<void(QWidget* window)>& adopt);
