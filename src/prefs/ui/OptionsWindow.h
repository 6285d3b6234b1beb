#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "prefs/Options.h"

class QCheckBox;
class QPushButton;
struct Services;

// The program's switches, read when the window opens and stored by "OK".
// Closing it any other way stores nothing.
class OptionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit OptionsWindow(Services& services, QWidget* parent = nullptr);

private:
    void load();
    void save();
    void openPasswordChange();

    Services& services_;
    std::array<QCheckBox*, Options::Count> switches_{};
    QPushButton* changePassword_;
};
