#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
struct Services;

// The start-up password prompt. It ends accepted only after the right password;
// every other way out (a second wrong entry, closing it without the right password)
// ends rejected, which means the program must end.
class PasswordPrompt : public QDialog {
    Q_OBJECT
public:
    // pauseMs: how long the success picture, and then the empty picture area, stay
    // before the prompt closes. The window keeps painting meanwhile.
    explicit PasswordPrompt(Services& services, QWidget* parent = nullptr, int pauseMs = 1000);

    // Runs on every attempt to close: the prompt only closes on the right password.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Stage { Waiting, Pausing, Finished };

    void confirm();
    void closeCheck();
    void finish(DialogCode code);
    void pauseThen(std::function<void()> next);

    Services& services_;
    int pauseMs_;
    Stage stage_ = Stage::Waiting;
    QLineEdit* entry_;
    QLabel* lockPicture_;     // what the prompt shows while it waits
    QLabel* successPicture_;  // kept hidden: the picture the lock takes on success
};

// Asks for the start-up password when protection is on and a password is set.
// Returns false when the program must end (two wrong entries, or the prompt closed
// without the right password); true when it may go on, also when nothing was asked.
bool runStartupPassword(Services& services, QWidget* parent, int pauseMs = 1000);
