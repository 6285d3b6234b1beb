#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "platform/services/Services.h"

class CardFrame;
class CommandBar;
class DataSource;
class LookupCombo;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabBar;
class QTimer;

// What the first activation calls out to; unset hooks do nothing.
struct StartupHooks {
    // Shows the start-up password prompt; false when the program must end.
    std::function<bool(QWidget* parent)> password;
    std::function<void(QWidget* parent)> about;
    // Screen size in pixels and twips per pixel; unset: the primary screen's.
    std::function<QSize()> screenSize;
    // Runs a command that belongs to another window (help, options, ...); false when unknown.
    std::function<bool(const QString& id, QWidget* parent)> command;
};

// MdiForm1: the command bar, the four archives' tabs and cards, the card counter and
// the status bar; start-up, browsing, adding, deleting and the exit question.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Services& services, QString commandLine, StartupHooks hooks = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Services& services() { return services_; }
    CommandBar& commandBar() { return *commandBar_; }
    DataSource* dataSource(int number) const;  // Data1..Data19
    DataSource& currentSource() const;         // the visible one of Data1..Data4
    int currentTab() const;                    // 1..4
    CardFrame* frame(int tab) const;
    QLabel* handOverLabel() const { return label2_; }  // Label2
    bool addPending() const;
    // Re-opens the lookup sources Data5..Data19 and refills the combos.
    void refreshLookups();

    // Card operations on the current archive (errors go to the shared message).
    void firstCard();
    void lastCard();
    void previousCard();
    void nextCard();
    void addCard();
    void confirmCard();
    void deleteCard();

    void dispatch(const QString& id);

    // Card input aids: the pop-up lists, the actor list and the lookup editors.
    void showPopupList(int number);               // Combo1..Combo4
    void takePopupChoice(int number);             // Combo1..Combo3 into their field
    void takeActor();                             // Combo4 into Text15
    void openLookupEditor(const QString& combo);  // a double click on a combo's button
    void openFindWindow();                        // FrmFind: one window, brought forward

signals:
    // The program must end with this status: 0 after the exit, non-zero for a failed
    // start-up password.
    void endRequested(int status);

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void buildStatusBar();
    void openDataSources();
    void formLoad();
    void firstActivation();
    bool queryUnload();
    void selectTab(int index);
    void fillActorList();
    void wireInputAids();
    QWidget* popupField(int number) const;

    // Unguarded bodies of the card operations.
    void doFirst();
    void doLast();
    void doPrevious();
    void doNext();
    void doConfirm();
    int counterValue(const QLabel* label) const;
    void setCounter(QLabel* label, int value);
    void focusHolder();
    void guarded(const char* source, const std::function<void()>& body);

    Services& services_;
    QString commandLine_;
    StartupHooks hooks_;
    bool activated_ = false;
    bool ending_ = false;
    CommandBar* commandBar_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::array<CardFrame*, 4> frames_{};
    std::array<DataSource*, 19> sources_{};
    QLabel* label7_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* text11_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QTimer* clock_ = nullptr;
    QList<QComboBox*> popupLists_;      // Combo1..Combo4
    QHash<QObject*, int> popupLabels_;  // Supporto, Rated, Giudizio, Attori -> list number
    QPointer<QWidget> lookupEditor_;    // a Chiavi window shown not modally
    QPointer<QWidget> findWindow_;      // FrmFind, kept until the user closes the program
};
