#pragma once

#include <QObject>
#include <QString>
#include <memory>

class Database;
class RecordSet;

// Stands for one bound data control: a database file, a record source and the
// record set opened on them, plus the visible flag that marks the current archive.
// The record set stores an edited record when it moves off it; the binder writes
// user edits into the record set's buffer as they are typed.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    void setDatabaseName(const QString& path);  // relative names are taken from the program folder
    QString databaseName() const { return databaseName_; }
    void setRecordSource(const QString& source);
    QString recordSource() const { return recordSource_; }

    // (Re)opens the database and the record set, positioned on the first record. Sources
    // on the same file share one connection (Database::open).
    void refresh();
    bool isOpen() const { return recordSet_ != nullptr; }
    // Lets go of the file; once every source (and anyone else holding the connection) has,
    // it is closed, ready for file-level work. Every access raises DatabaseClosed until refresh().
    void closeDatabase();

    RecordSet& recordset();  // DatabaseClosed when closed
    Database& database();
    std::shared_ptr<Database> sharedDatabase();

    // Moves through the data source so bound controls follow; a pending edit is stored first.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Call after any direct change of the record set's position or buffer.
    void notifyCurrentChanged() { emit currentChanged(); }

    bool isVisible() const { return visible_; }
    void setVisible(bool visible);

signals:
    // The current record changed (move, refresh, add, delete): bound controls re-read.
    void currentChanged();
    void visibleChanged(bool visible);

private:
    QString databaseName_;
    QString recordSource_;
    std::shared_ptr<Database> db_;
    std::unique_ptr<RecordSet> recordSet_;
    bool visible_ = true;
};
