#pragma once

#include "registers/ui/WordListWindow.h"

class MainWindow;

// Chiavi: the editor of the lookup list named by the main window's hand-over label.
// It reads the label each time it becomes active; "&OK" reloads the main window's
// lookup lists and combos and closes the editor.
class LookupListWindow : public WordListWindow {
    Q_OBJECT
public:
    LookupListWindow(MainWindow& main, Services& services, QWidget* parent = nullptr);

protected:
    void activated() override;
    void refreshCaller() override;

private:
    MainWindow& main_;
};
