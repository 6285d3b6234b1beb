#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

class Database;

// The catalogue file: its tables, creating a new one, telling ours from a foreign file.
namespace Catalogue {

QString defaultPath();  // RACCOLIO.MDB in the program folder

// Every table a new catalogue is made with, and its fields (all TEXT), in the order made.
std::vector<std::pair<QString, QStringList>> tables();

// Creates a new catalogue at path (which must not exist): the four archives, the
// lookup tables and CHIAVE with starter words, AUTORI with one author.
void create(const QString& path);

// Opens the catalogue at path, creating it first when missing. A file that is not a
// catalogue raises AppError(NotACatalogue) and is not modified.
std::shared_ptr<Database> openOrCreate(const QString& path);

// Raises AppError(NotACatalogue) unless db holds every table a catalogue needs.
void validate(const Database& db);

// True when no change could be stored: the engine opened the file for reading only, or
// the file or its folder (where every change writes its journal) cannot be written.
bool isReadOnly(const Database& db);
// Said once when the program starts on a read-only catalogue.
QString readOnlyNotice(const QString& path);
// The refusal of a change; action completes "impossibile ..." ("aggiungere una cartella").
QString readOnlyRefusal(const QString& path, const QString& action);

}  // namespace Catalogue
