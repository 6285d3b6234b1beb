#include "test_support/TempProgramFolder.h"

#include <QDir>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "test_support/FileBytes.h"

namespace {

QString prepareEnvironment(const QTemporaryDir& dir) {
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    qputenv("RACCOLIO_HOME", dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(dir.path()).filePath(QStringLiteral("config")).toUtf8());
    return QDir(dir.path()).filePath(QStringLiteral("config"));
}

}  // namespace

TempProgramFolder::TempProgramFolder(const QList<int>& cards) : settings(prepareEnvironment(dir_)) {
    settings.ensureDefaults();
    Catalogue::create(cataloguePath());
    auto db = Database::open(cataloguePath());
    db->beginTransaction();
    for (int a = 0; a < cards.size() && a < 4; ++a) {
        const ArchiveDef& archive = Archives::byTab(a + 1);
        const QString sql =
            QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                .arg(archive.table, archive.tableOrder.join(QStringLiteral("\",\"")),
                     QStringList(archive.tableOrder.size(), QStringLiteral("?")).join(u','));
        for (int n = 1; n <= cards[a]; ++n) {
            QVariantList values;
            for (const QString& f : archive.tableOrder)
                values << QStringLiteral("%1 %2 %3").arg(archive.table).arg(n).arg(f);
            db->query(sql, values);
        }
    }
    db->commit();
}

QString TempProgramFolder::file(const QString& name) const {
    return QDir(dir_.path()).filePath(name);
}

void TempProgramFolder::writeFile(const QString& name, const QByteArray& content) const {
    writeBytes(file(name), content);
}

QStringList TempProgramFolder::column(const QString& table, const QString& field) const {
    auto db = Database::open(cataloguePath());
    QStringList out;
    for (const QVariantList& row :
         db->query(QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY rowid").arg(field, table)))
        out << row.value(0).toString();
    return out;
}

int TempProgramFolder::count(const QString& table) const {
    return int(column(table, QStringLiteral("rowid")).size());
}
