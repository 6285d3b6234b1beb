#include "transfer/ui/TransferCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/MessageService.h"
#include "platform/services/SaveTarget.h"
#include "platform/services/Services.h"
#include "platform/ui/LongWork.h"
#include "transfer/CsvExport.h"
#include "transfer/CsvImport.h"
#include "transfer/Tellico.h"
#include "transfer/ui/ImportMappingWindow.h"

namespace {

const QString kSource = QStringLiteral("MdiForm1.Transfer");

void openForReading(QFile& file) {
    const QString path = file.fileName();
    if (!file.exists())
        throw fileNotFoundError(kSource, path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            ErrorCode::FileError, kSource,
            QStringLiteral("Impossibile aprire il file %1: %2").arg(path, file.errorString()));
}

qint64 cardCount(Database& db, const ArchiveDef& archive) {
    const auto rows = db.query(
        QStringLiteral("SELECT count(*) FROM %1").arg(Database::quoteIdentifier(archive.table)));
    return rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
}

CsvExport::Tick tickOf(LongWork& work) {
    return [&work](qint64 done, qint64 total) { return work.step(done, total); };
}

bool isTellicoFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("tc") || suffix == QLatin1String("xml");
}

// The archive shows its new count and the first card that came in.
void showImported(CardContext& cards, Archive archive, qint64 before, qint64 imported) {
    CardBrowser& browser = cards.browser();
    cards.reloadLookups();
    if (browser.archive() != archive)
        browser.selectArchive(archive);
    DataSource& source = browser.source(archive);
    source.refresh();
    browser.first();
    if (imported > 0 && before > 0) {
        source.recordset().setAbsolutePosition(int(before));
        source.notifyCurrentChanged();
        browser.showPosition(int(before) + 1);
    }
}

// "1 scheda", "2 schede": Italian agrees the noun, and the participle, with the count.
QString counted(qint64 n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

QString closingMessage(const CardImport::Result& r) {
    return QStringLiteral("%1 %2 (%3, %4 alle liste).")
        .arg(r.imported == 1 ? QStringLiteral("Importata") : QStringLiteral("Importate"))
        .arg(counted(r.imported, "scheda", "schede"))
        .arg(counted(r.skipped, "saltata", "saltate"))
        .arg(counted(r.wordsAdded, "parola aggiunta", "parole aggiunte"));
}

void importCsv(const QString& path, CardContext& cards, Services& services, QWidget* parent) {
    CardBrowser& browser = cards.browser();
    const ArchiveDef& archive = browser.archiveDef();
    CsvImport::Preview preview;
    {
        QFile file(path);
        openForReading(file);
        preview = CsvImport::preview(file);
    }
    ImportMappingWindow window(archive, path, preview, parent);
    if (window.exec() != QDialog::Accepted)
        return;
    if (!window.mapping().mapsAnything()) {
        services.messages.information(
            QStringLiteral("Nessuna colonna del file è associata a un campo dell'archivio: "
                           "nessuna scheda importata."));
        return;
    }
    QFile file(path);
    openForReading(file);
    Database& db = browser.currentSource().database();
    const qint64 before = cardCount(db, archive);
    CardImport::Result result;
    {
        LongWork work(parent, QStringLiteral("Importazione delle schede in corso..."));
        try {
            result = CsvImport::run(db, archive, file, window.mapping(), window.skipExisting(),
                                    tickOf(work));
        } catch (const AppError& e) {
            if (e.number() == ErrorCode::DialogCancelled)
                return;  // rolled back: nothing stored
            throw;
        }
    }
    showImported(cards, archive.id, before, result.imported);
    services.messages.information(closingMessage(result));
}

void importTellico(const QString& path, CardContext& cards, Services& services, QWidget* parent) {
    CardBrowser& browser = cards.browser();
    Database& db = browser.currentSource().database();
    std::optional<Archive> target;
    qint64 before = 0;
    CardImport::Result result;
    {
        LongWork work(parent, QStringLiteral("Importazione delle schede in corso..."));
        try {
            result = Tellico::importFile(
                db, path,
                [&](Archive a) {
                    target = a;
                    before = cardCount(db, Archives::def(a));
                },
                tickOf(work));
        } catch (const AppError& e) {
            if (e.number() == ErrorCode::DialogCancelled)
                return;
            throw;
        }
    }
    if (target)
        showImported(cards, *target, before, result.imported);
    services.messages.information(closingMessage(result));
}

void runImport(CardContext& cards, Services& services, QWidget* parent) {
    const QString path = services.files.openFileName(
        QStringLiteral("Importa schede"), QString(),
        QStringLiteral("Schede (*.csv *.txt *.tc *.xml);;File CSV (*.csv *.txt);;"
                       "Tellico (*.tc *.xml);;Tutti i file (*)"));
    if (path.isEmpty())
        return;
    CardBrowser& browser = cards.browser();
    browser.storeEdit(browser.currentSource());
    if (isTellicoFile(path))
        importTellico(path, cards, services, parent);
    else
        importCsv(path, cards, services, parent);
}

void runExport(CardContext& cards, Services& services, QWidget* parent) {
    CardBrowser& browser = cards.browser();
    const ArchiveDef& archive = browser.archiveDef();
    const QString path = services.files.saveFileName(
        QStringLiteral("Esporta schede"), archive.table + QStringLiteral(".csv"),
        // Tellico is offered only for archives it has a collection for.
        Tellico::canExport(archive.id) ? QStringLiteral("File CSV (*.csv);;Tellico (*.tc)")
                                       : QStringLiteral("File CSV (*.csv)"),
        QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const bool tellico =
        QFileInfo(path).suffix().compare(QLatin1String("tc"), Qt::CaseInsensitive) == 0;
    if (tellico && !Tellico::canExport(archive.id)) {
        services.messages.information(
            QStringLiteral("L'archivio %1 non ha una collezione corrispondente in Tellico: "
                           "si può esportare solo in CSV.")
                .arg(archive.caption));
        return;
    }
    // Never over the catalogue or another of the program's files, never over a file unasked.
    if (!SaveTarget::confirm(path, services))
        return;
    browser.storeEdit(browser.currentSource());
    Database& db = browser.currentSource().database();
    // The cards of the last structured search on this archive, when the user wants them.
    QString table;
    if (db.hasTable(archive.resultTable)) {
        const auto rows = db.query(QStringLiteral("SELECT count(*) FROM %1")
                                       .arg(Database::quoteIdentifier(archive.resultTable)));
        const qint64 found = rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
        if (found > 0 &&
            services.messages.question(
                // The result table is a copy made by the search: say so, since cards
                // changed after it are exported as they were then.
                QStringLiteral("Esportare solo le %1 schede trovate dall'ultima ricerca "
                               "strutturata, come erano al momento della ricerca?\n"
                               "(No: tutte le schede dell'archivio %2, come sono ora)")
                    .arg(found)
                    .arg(archive.caption)))
            table = archive.resultTable;
    }
    qint64 written = 0;
    {
        LongWork work(parent, QStringLiteral("Esportazione delle schede in corso..."));
        try {
            if (tellico) {
                written = Tellico::exportFile(db, archive, path, tickOf(work), table);
            } else {
                QSaveFile file(path);
                if (!file.open(QIODevice::WriteOnly))
                    throw AppError(ErrorCode::FileError, kSource,
                                   QStringLiteral("Impossibile creare il file %1: %2")
                                       .arg(path, file.errorString()));
                written = CsvExport::write(db, archive, file, tickOf(work), table);
                if (!file.commit())
                    throw AppError(ErrorCode::FileError, kSource,
                                   QStringLiteral("Impossibile scrivere il file %1: %2")
                                       .arg(path, file.errorString()));
            }
        } catch (const AppError& e) {
            if (e.number() == ErrorCode::DialogCancelled)
                return;  // the file was never put in place
            throw;
        }
    }
    services.messages.information(QStringLiteral("%1 %2 nel file %3.")
                                      .arg(written == 1 ? QStringLiteral("Esportata")
                                                        : QStringLiteral("Esportate"))
                                      .arg(counted(written, "scheda", "schede"))
                                      .arg(QFileInfo(path).fileName()));
}

}  // namespace

bool runTransferCommand(const QString& id, CardContext& cards, Services& services,
                        QWidget* parent) {
    if (id == QLatin1String("ID_ImportaSchede"))
        runImport(cards, services, parent);
    else if (id == QLatin1String("ID_EsportaSchede"))
        runExport(cards, services, parent);
    else
        return false;
    return true;
}
