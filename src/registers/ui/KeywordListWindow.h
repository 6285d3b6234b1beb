#pragma once

#include <functional>

#include "registers/ui/WordListWindow.h"

class QTimer;

// Keylist: the editor of the keyword list CHIAVE, in the table's own order. It sets
// itself up once, shortly after it is loaded; "&OK" runs onOk (the caller reloads its
// keyword lists) and closes the editor.
class KeywordListWindow : public WordListWindow {
    Q_OBJECT
public:
    KeywordListWindow(Services& services, std::function<void()> onOk, QWidget* parent = nullptr);

protected:
    void refreshCaller() override;

private:
    void setUp();

    std::function<void()> onOk_;
    QTimer* timer_;
};
