#include "platform/db/DataSource.h"

#include <QDir>

#include "platform/core/AppError.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"

namespace {

[[noreturn]] void closed() {
    throw AppError(
        ErrorCode::DatabaseClosed, QStringLiteral("DataSource"),
        QStringLiteral("Il database è chiuso: aggiornare l'origine dati prima di usarla"));
}

}  // namespace

DataSource::DataSource(QObject* parent) : QObject(parent) {}

DataSource::~DataSource() = default;

void DataSource::setDatabaseName(const QString& path) {
    databaseName_ = path.isEmpty() || QDir::isAbsolutePath(path)
                        ? path
                        : QDir(ProgramFolder::path()).filePath(path);
}

void DataSource::setRecordSource(const QString& source) {
    recordSource_ = source;
}

void DataSource::refresh() {
    // An edit still in the buffer belongs to the old record set: store it first.
    if (recordSet_ && recordSet_->editMode() != RecordSet::EditMode::None)
        recordSet_->update();
    recordSet_.reset();
    db_.reset();
    auto db = Database::open(databaseName_, Database::OpenMode::ExistingOnly);
    auto rs = db->openRecordSet(recordSource_);
    db_ = std::move(db);
    recordSet_ = std::move(rs);
    if (recordSet_->recordCount() > 0)
        recordSet_->moveFirst();
    emit currentChanged();
}

void DataSource::closeDatabase() {
    recordSet_.reset();
    db_.reset();
}

RecordSet& DataSource::recordset() {
    if (!recordSet_)
        closed();
    return *recordSet_;
}

Database& DataSource::database() {
    if (!db_)
        closed();
    return *db_;
}

std::shared_ptr<Database> DataSource::sharedDatabase() {
    if (!db_)
        closed();
    return db_;
}

void DataSource::moveFirst() {
    recordset().moveFirst();
    emit currentChanged();
}

void DataSource::moveLast() {
    recordset().moveLast();
    emit currentChanged();
}

void DataSource::moveNext() {
    recordset().moveNext();
    emit currentChanged();
}

void DataSource::movePrevious() {
    recordset().movePrevious();
    emit currentChanged();
}

void DataSource::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    emit visibleChanged(visible);
}
