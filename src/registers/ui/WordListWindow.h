#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "registers/LookupListEditor.h"

class Binder;
class DataSource;
class QLabel;
class QLineEdit;
class QToolButton;
struct Services;

// The design the two word-list editors share: the word, the counter "Cartella n di N",
// first/previous/next/last, add, delete, find, a print button without an action, and
// "&OK" in the menu bar, which refreshes the caller's lists and closes the window.
// Every action ends with the focus on Picture1, so the word is never left in editing.
class WordListWindow : public QDialog {
    Q_OBJECT
public:
    ~WordListWindow() override;

    LookupListEditor& editor() { return *editor_; }
    DataSource& dataSource() { return *data_; }

    // Stores a word still being edited, then closes.
    void done(int result) override;

protected:
    WordListWindow(Services& services, const QString& caption, const QString& firstTip,
                   QWidget* parent);

    // Runs when the window is shown, and when it becomes active again after another
    // window of the program had the activation. Not when one of its own prompts closes.
    virtual void activated() {}
    // "&OK": reload the lists of whoever opened the editor.
    virtual void refreshCaller() = 0;

    // Runs a handler of the window under the error trap; the handler's name follows
    // the window's name ("Chiavi.Command1_Click").
    void handle(const char* handler, const std::function<void()>& body);
    // Binds the word box to the editor's word field (again, when the field changed).
    void bindWord();
    void showCounter();
    void focusHolder();

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

    Services& services_;

private:
    void storePendingEdit();

    DataSource* data_;
    std::unique_ptr<LookupListEditor> editor_;
    Binder* binder_ = nullptr;
    QString boundField_;
    QLineEdit* word_;
    QLabel* position_;
    QLabel* count_;
    QLabel* focusHolder_;
    int busy_ = 0;             // handlers running (their prompts take the activation)
    bool reactivate_ = false;  // the activation went to another window of the program
};
