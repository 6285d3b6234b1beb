#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "registers/AuthorsRegister.h"

class CardContext;
class DataSource;
class QAction;
class QFrame;
class QLineEdit;
class QLabel;
class QRadioButton;
struct Services;

// Autori: the authors register over AUTORI, shown modally from the book card's author
// combo. "&OK" may hand the current author's full name to the book card as an edit.
class AuthorsWindow : public QDialog {
    Q_OBJECT
public:
    AuthorsWindow(CardContext& cards, Services& services, QWidget* parent = nullptr);
    ~AuthorsWindow() override;

    AuthorsRegister& authors() { return *register_; }
    // Refused (with its message) while an addition is open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void handle(const char* handler, const std::function<void()>& body);
    void showState();
    void handOver();
    void storePendingEdit();

    CardContext& cards_;
    Services& services_;
    DataSource* data_;
    std::unique_ptr<AuthorsRegister> register_;
    QLineEdit* name_;
    QFrame* buttons_;
    QRadioButton* byName_;
    QRadioButton* bySurname_;
    QLabel* position_;
    QLabel* count_;
    QAction* ok_;
    QAction* confirm_;
    QAction* cancel_;
};
