#include "cards/CardBrowser.h"

#include "cards/Catalogue.h"
#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/services/MessageService.h"
#include "platform/settings/SettingsStore.h"

CardBrowser::CardBrowser(MessageService& messages, SettingsStore& settings, QObject* parent)
    : QObject(parent), messages_(messages), settings_(settings) {}

void CardBrowser::setSources(const std::array<DataSource*, 4>& sources) {
    sources_ = sources;
    for (Archive a : allArchives)
        source(a).setVisible(a == archive_);
}

DataSource& CardBrowser::source(Archive archive) const {
    DataSource* s = sources_[std::size_t(archiveIndex(archive))];
    if (!s)
        throw AppError(ErrorCode::DatabaseClosed, QStringLiteral("CardBrowser"),
                       QStringLiteral("Nessuna origine dati per l'archivio"));
    return *s;
}

void CardBrowser::setPosition(int position) {
    if (position_ == position)
        return;
    position_ = position;
    emit positionChanged(position);
}

void CardBrowser::setCount(int count) {
    if (count_ == count)
        return;
    count_ = count;
    emit countChanged(count);
}

void CardBrowser::setAddPending(bool pending) {
    if (addPending_ == pending)
        return;
    addPending_ = pending;
    emit addPendingChanged(pending);
}

void CardBrowser::openCurrent() {
    DataSource& ds = currentSource();
    if (!ds.isOpen())
        ds.refresh();
}

void CardBrowser::checkReadOnly() {
    const bool readOnly = Catalogue::isReadOnly(currentSource().database());
    if (readOnly_ == readOnly)
        return;
    readOnly_ = readOnly;
    emit readOnlyChanged(readOnly);
}

bool CardBrowser::refuseChange(const QString& action) {
    if (!readOnly_)
        return false;
    emit focusHolderWanted();
    messages_.information(Catalogue::readOnlyRefusal(currentSource().databaseName(), action));
    return true;
}

void CardBrowser::storeEdit(DataSource& source) {
    if (!source.isOpen() || source.recordset().editMode() == RecordSet::EditMode::None)
        return;
    if (readOnly_)
        source.recordset().cancelUpdate();
    else
        source.recordset().update();
}

// An edit that reached the buffer anyway would fail at every move on a read-only
// catalogue: it goes, and the card shows what is stored.
void CardBrowser::dropEditWhenReadOnly() {
    DataSource& ds = currentSource();
    if (readOnly_ && ds.isOpen() && ds.recordset().editMode() != RecordSet::EditMode::None) {
        ds.recordset().cancelUpdate();
        ds.notifyCurrentChanged();
    }
}

QString CardBrowser::noCardMessage() {
    return QStringLiteral("Nessuna cartella nella scheda. Aggiungere prima una cartella.");
}

bool CardBrowser::refuseWithoutCard() {
    if (!isEmpty())
        return false;
    messages_.information(noCardMessage());
    return true;
}

bool CardBrowser::isEmpty() const {
    const RecordSet& rs = currentSource().recordset();
    return rs.recordCount() == 0 && rs.editMode() == RecordSet::EditMode::None;
}

void CardBrowser::first() {
    dropEditWhenReadOnly();
    DataSource& ds = currentSource();
    if (isEmpty()) {
        // Nothing to move to: the counter reads 0 of 0.
        setCount(0);
        setPosition(0);
        ds.notifyCurrentChanged();
        return;
    }
    // Through the last card first, as the count is only exact once the end was reached.
    ds.moveLast();
    ds.moveFirst();
    setCount(ds.recordset().recordCount());
    setPosition(1);
}

void CardBrowser::last() {
    dropEditWhenReadOnly();
    DataSource& ds = currentSource();
    setPosition(ds.recordset().recordCount());
    if (isEmpty()) {
        ds.notifyCurrentChanged();
        return;
    }
    ds.moveFirst();
    ds.moveLast();
}

void CardBrowser::previous() {
    dropEditWhenReadOnly();
    DataSource& ds = currentSource();
    setCount(ds.recordset().recordCount());
    setPosition(position_ - 1);
    if (position_ <= 0) {
        emit focusHolderWanted();
        messages_.information(QStringLiteral("Cartella iniziale. Impossibile decrementare."));
        setPosition(position_ + 1);
        return;
    }
    ds.movePrevious();
    emit focusHolderWanted();
}

void CardBrowser::next() {
    dropEditWhenReadOnly();
    DataSource& ds = currentSource();
    const int total = ds.recordset().recordCount();
    setCount(total);
    setPosition(position_ + 1);
    emit focusHolderWanted();
    if (position_ > total) {
        messages_.information(QStringLiteral("Ultima cartella. Impossibile incrementare."));
        setPosition(position_ - 1);
        return;
    }
    ds.moveNext();
    emit focusHolderWanted();
}

void CardBrowser::add() {
    if (refuseChange(QStringLiteral("aggiungere una cartella")))
        return;
    if (settings_.flag(QStringLiteral("Aggiungi")) &&
        !messages_.question(
            QStringLiteral("Si desidera aggiungere una nuova cartella nella scheda ?")))
        return;
    // From here on the card commands and tabs stay off until the card is confirmed, even
    // if a step below fails.
    setAddPending(true);
    last();
    DataSource& ds = currentSource();
    ds.recordset().addNew();
    ds.notifyCurrentChanged();
    setPosition(count_ + 1);
    setCount(count_ + 1);
}

void CardBrowser::confirm() {
    first();
    last();
    setAddPending(false);
}

void CardBrowser::remove() {
    if (refuseChange(QStringLiteral("eliminare la cartella")))
        return;
    // The only card of an archive is never deleted (nor is there one in an empty one);
    // checked before the question so that the user is not asked in vain.
    if (count_ <= 1) {
        messages_.information(QStringLiteral("Impossibile cancellare la cartella specificata."));
        return;
    }
    if (settings_.flag(QStringLiteral("Elimina")) &&
        !messages_.question(
            QStringLiteral("Si desidera realmente cancellare la cartella corrente ?")))
        return;
    currentSource().recordset().deleteCurrent();
    if (position_ == 1) {
        last();
        first();
    }
    if (position_ > 1)
        previous();
}

void CardBrowser::selectArchive(Archive archive) {
    if (addPending_)
        confirm();
    // An edit of the card being left is stored with it; if that fails, the archive
    // shown stays the current one.
    storeEdit(currentSource());
    DataSource& entering = source(archive);
    if (!entering.isOpen())
        entering.refresh();
    archive_ = archive;
    for (Archive a : allArchives)
        source(a).setVisible(a == archive);
    emit archiveChanged(archive);
    last();
    first();
}
