#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class QTimer;
struct Services;

// Sets, changes or clears the start-up password. Writes only the Password value.
class PasswordChangeWindow : public QDialog {
    Q_OBJECT
public:
    // hintDelayMs: the pause after opening before the "no password yet" hint.
    explicit PasswordChangeWindow(Services& services, QWidget* parent = nullptr,
                                  int hintDelayMs = 100);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void confirm();
    void showHintIfNoPassword();

    Services& services_;
    QLineEdit* oldEntry_;
    QLineEdit* newEntry_;
    QLineEdit* confirmEntry_;
    QTimer* hintTimer_;
    bool centred_ = false;
};
