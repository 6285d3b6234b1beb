#include "cards/Catalogue.h"

#include <QDir>
#include <QFileInfo>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "platform/db/TrigramIndex.h"

namespace Catalogue {

QString defaultPath() {
    return ProgramFolder::file(AppInfo::catalogueFileName());
}

namespace {

QStringList requiredTables() {
    QStringList t;
    for (const ArchiveDef& a : Archives::all())
        t << a.table;
    for (const LookupDef& l : Archives::lookups())
        t << l.table;
    return t;
}

void fill(Database& db) {
    for (const auto& [table, fields] : tables())
        db.createTable(table, fields);
    for (const ArchiveDef& a : Archives::all())
        TrigramIndex::create(db, a.table);  // searches need no first build
    for (const LookupDef& l : Archives::lookups()) {
        if (l.table == QStringLiteral("AUTORI"))
            continue;
        Statement insert = db.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                .arg(Database::quoteIdentifier(l.table), Database::quoteIdentifier(l.wordField)));
        for (const QString& w : l.starterWords) {
            insert.bind({w});
            insert.run();
        }
    }
    db.query(
        QStringLiteral(
            "INSERT INTO AUTORI (NOME, COGNOME, NAZIONE, NOTE, SOMMA) VALUES (?, ?, ?, ?, ?)"),
        {QStringLiteral("Alessandro"), QStringLiteral("Manzoni"), QStringLiteral("Italia"),
         QStringLiteral("Autore de \"I promessi sposi\"."), QStringLiteral("Manzoni Alessandro")});
}

}  // namespace

std::vector<std::pair<QString, QStringList>> tables() {
    std::vector<std::pair<QString, QStringList>> out;
    for (const ArchiveDef& a : Archives::all())
        out.emplace_back(a.table, a.tableOrder);
    for (const LookupDef& l : Archives::lookups())
        if (l.table != QStringLiteral("AUTORI"))
            out.emplace_back(l.table, QStringList{l.wordField});
    out.emplace_back(QStringLiteral("AUTORI"), Archives::authorFields());
    return out;
}

void create(const QString& path) {
    if (QFileInfo::exists(path))
        throw AppError(ErrorCode::DestinationExists, QStringLiteral("Catalogue"),
                       QStringLiteral("Il file %1 esiste già").arg(path));
    if (const QFileInfo folder(QFileInfo(path).absolutePath()); !folder.isWritable())
        throw AppError(ErrorCode::FileError, QStringLiteral("Catalogue"),
                       QStringLiteral("Impossibile creare il catalogo %1: la cartella %2 è in "
                                      "sola lettura")
                           .arg(QFileInfo(path).fileName(),
                                QDir::toNativeSeparators(folder.absoluteFilePath())));
    auto db = Database::open(path, Database::OpenMode::CreateIfMissing);
    Transaction transaction(*db);
    fill(*db);
    transaction.commit();
}

std::shared_ptr<Database> openOrCreate(const QString& path) {
    if (!QFileInfo::exists(path))
        create(path);
    auto db = Database::open(path, Database::OpenMode::ExistingOnly);
    validate(*db);
    return db;
}

void validate(const Database& db) {
    for (const QString& t : requiredTables())
        if (!db.hasTable(t))
            throw notACatalogueError(QStringLiteral("Catalogue"), db.path());
}

bool isReadOnly(const Database& db) {
    if (db.isReadOnly())
        return true;
    const QFileInfo file(db.path());
    return !file.isWritable() || !QFileInfo(file.absolutePath()).isWritable();
}

QString readOnlyNotice(const QString& path) {
    return QStringLiteral(
               "Il catalogo %1 è in sola lettura: le schede si possono consultare, cercare e "
               "stampare, ma le modifiche non potranno essere salvate.")
        .arg(QDir::toNativeSeparators(path));
}

QString readOnlyRefusal(const QString& path, const QString& action) {
    return QStringLiteral("Il catalogo %1 è in sola lettura: impossibile %2.")
        .arg(QDir::toNativeSeparators(path), action);
}

}  // namespace Catalogue
