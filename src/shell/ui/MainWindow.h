#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "cards/Archives.h"
#include "cards/CardContext.h"
#include "platform/core/AppError.h"
#include "platform/services/Services.h"

class CardBrowser;
class CardFrame;
class CommandBar;
class DataSource;
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
    // Runs a command that belongs to another window (help, options, the registers, ...),
    // also a card button or label that opens one (by its control name); false when unknown.
    std::function<bool(const QString& id, CardContext& cards, QWidget* parent)> command;
    // Offers the ways out of a damaged catalogue, with every data source closed; true when
    // the catalogue is usable afterwards. `running`: found while cards were browsed, when
    // the readable cards can still be worked with, rather than while the window loaded.
    std::function<bool(QWidget* parent, bool running)> recoverCatalogue;
};

// MdiForm1: the command bar, the four archives' tabs and cards, the card counter and
// the status bar; start-up and the exit question. The card rules live in its
// CardBrowser; other windows reach the card through the CardContext it implements.
class MainWindow : public QMainWindow, public CardContext {
    Q_OBJECT
public:
    MainWindow(Services& services, QString commandLine, StartupHooks hooks = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Services& services() { return services_; }
    CommandBar& commandBar() { return *commandBar_; }
    DataSource* dataSource(int number) const;  // Data1..Data19
    CardFrame* frame(Archive archive) const;

    // CardContext
    CardBrowser& browser() override { return *browser_; }
    QString cardField(const QString& field) const override;
    void setCardField(const QString& field, const QString& text) override;
    void reloadLookups() override;
    void closeDataSources() override;
    void reopenDataSources() override;
    void readFailed(const AppError& failure) override { cardUnreadable(failure); }

    // Runs a command of the bar, as a click on it does.
    void dispatch(const QString& id);

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
    void buildCounter(QWidget* central, class QVBoxLayout* layout);
    void buildStatusBar();
    void buildCommands();
    void wireBrowser();
    void updateStatusText();
    void openDataSources();
    void formLoad();
    void fitFrameToScreen();
    void firstActivation();
    bool queryUnload();
    void selectTab(int index);
    void guarded(const char* source, const std::function<void()>& body);
    // As guarded, but damage to the catalogue's pages is kept for the first activation
    // instead of being shown: one offer to recover, not a message for every source.
    void loadGuarded(const char* source, const std::function<void()>& body);
    bool recoverDamagedCatalogue();
    // A card that could not be read: the first time the damage is met, the ways out.
    void cardUnreadable(const AppError& failure);
    void offerRecovery();

    // Card input aids (MainWindowAids.cpp).
    void buildChoiceLists();
    void wireInputAids();
    void fillActorList();
    void showChoiceList(QComboBox* list);
    void takeChoice(QComboBox* list);
    void hideChoiceLists();
    void takeActor();
    void openLookupEditor(const QString& combo);
    void openFindWindow();
    QWidget* choiceField(const QComboBox* list) const;
    bool filterChoiceListEvent(QComboBox* list, QEvent* e);

    Services& services_;
    QString commandLine_;
    StartupHooks hooks_;
    bool activated_ = false;
    std::optional<AppError> damage_;  // found while loading, not yet offered
    bool damageOffered_ = false;      // a damaged card met and the recovery offered
    bool ending_ = false;
    CardBrowser* browser_ = nullptr;
    CommandBar* commandBar_ = nullptr;
    QHash<QString, std::function<void()>> commands_;  // by tool id
    QTabBar* tabs_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::array<CardFrame*, 4> frames_{};
    std::array<DataSource*, 19> sources_{};
    QLabel* positionLabel_ = nullptr;  // Label7
    QLabel* countLabel_ = nullptr;     // Label5
    QLabel* handOverLabel_ = nullptr;  // Label2: the list a lookup editor was opened for
    QLineEdit* focusSink_ = nullptr;   // Text11: takes the focus after card moves
    QLabel* statusText_ = nullptr;     // Panel1
    QLabel* dateLabel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QTimer* clock_ = nullptr;
    QHash<QComboBox*, const ChoiceListDef*> choiceLists_;  // Combo1..Combo4
    QHash<QObject*, QComboBox*> choiceLabels_;             // Supporto, Rated, Giudizio, Attori
    QHash<QObject*, QString> commandLabels_;               // labels that open a window (Label29)
    QPointer<QComboBox> shownList_;                        // the choice list now over its field
    QString shownText_;               // the field's text when its list appeared
    QPointer<QWidget> lookupEditor_;  // a Chiavi window shown not modally
    QPointer<QWidget> findWindow_;    // FrmFind, kept until the program ends
};
