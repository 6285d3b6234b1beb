#pragma once

#include <QObject>
#include <array>

#include "cards/Archives.h"

class DataSource;
class MessageService;
class SettingsStore;

// The current archive, its data source, the card counter and the rules for browsing,
// adding, confirming and deleting cards. The counter is kept by these operations
// themselves (the record set's position is not read back), so the end messages appear
// exactly when the user asks to go before the first or past the last card.
//
// Operations throw AppError on engine failures; the caller shows it. Counter values
// already changed stay changed, as the rest of the operation is skipped.
class CardBrowser : public QObject {
    Q_OBJECT
public:
    CardBrowser(MessageService& messages, SettingsStore& settings, QObject* parent = nullptr);

    // Data1..Data4 in archive order. The visible flag marks the current one.
    void setSources(const std::array<DataSource*, 4>& sources);
    DataSource& source(Archive archive) const;
    DataSource& currentSource() const { return source(archive_); }
    Archive archive() const { return archive_; }
    const ArchiveDef& archiveDef() const { return Archives::def(archive_); }

    int position() const { return position_; }
    int count() const { return count_; }
    bool addPending() const { return addPending_; }

    // Opens the current archive's source when it is closed; the others open when shown,
    // so start-up reads one archive, not four.
    void openCurrent();

    // A read-only catalogue is browsed, searched and printed, but every change is refused
    // with a message saying why, rather than failing in the engine at each move.
    // checkReadOnly() asks the current archive's open catalogue.
    void checkReadOnly();
    bool isReadOnly() const { return readOnly_; }
    // On a read-only catalogue: tells the user that `action` (completing "impossibile ...")
    // cannot be done and returns true. Otherwise false, and nothing is shown.
    bool refuseChange(const QString& action);
    // Stores an edit pending on source; on a read-only catalogue it is dropped instead.
    void storeEdit(DataSource& source);

    void first();
    void last();
    void previous();
    void next();
    void add();
    void confirm();
    void remove();
    // The tab change: confirms a pending card, stores an edit of the card being left and
    // lands on the first card of the archive chosen.
    void selectArchive(Archive archive);
    // No card to show or edit: the archive has none and none is being added.
    bool isEmpty() const;
    // Refuses (with a message, returning true) to edit a card that is not there: what a
    // window would write into it would be shown on nothing and then lost.
    bool refuseWithoutCard();
    static QString noCardMessage();

    // The current source was moved from elsewhere (a find): the counter shows the
    // position that window worked out.
    void showPosition(int position) { setPosition(position); }

signals:
    void positionChanged(int position);
    void countChanged(int count);
    void archiveChanged(Archive archive);
    void addPendingChanged(bool pending);
    void readOnlyChanged(bool readOnly);
    // After a move the keyboard focus leaves the card's fields.
    void focusHolderWanted();

private:
    void setPosition(int position);
    void setCount(int count);
    void setAddPending(bool pending);
    void dropEditWhenReadOnly();

    MessageService& messages_;
    SettingsStore& settings_;
    std::array<DataSource*, 4> sources_{};
    Archive archive_ = Archive::Books;
    int position_ = 1;
    int count_ = 1;
    bool addPending_ = false;
    bool readOnly_ = false;
};
