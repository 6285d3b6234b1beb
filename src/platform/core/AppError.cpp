#include "platform/core/AppError.h"

#include <QFileInfo>

#include "platform/core/AppInfo.h"

AppError::AppError(int number, QString source, QString description)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      what_(QStringLiteral("%1 %2: %3").arg(number_).arg(source_, description_).toStdString()) {}

AppError fileNotFoundError(const QString& source, const QString& path) {
    return AppError(ErrorCode::FileNotFound, source, QStringLiteral("File non trovato: %1").arg(path));
}

AppError notACatalogueError(const QString& source, const QString& path) {
    return AppError(ErrorCode::NotACatalogue, source,
                    QStringLiteral("Il file %1 non è un archivio valido di %2")
                        .arg(QFileInfo(path).fileName(), AppInfo::title()));
}

QString sharedErrorText(int number, const QString& source, const QString& description) {
    // The number is written as the old Str$() did: a leading blank when not negative.
    const QString num = number >= 0 ? QStringLiteral(" %1").arg(number) : QString::number(number);
    // A description that ends its own sentence gets no second full stop.
    const QString end = description.endsWith(u'.') ? QString() : QStringLiteral(".");
    return QStringLiteral("Si è verificato l'errore n.") + num + QStringLiteral(" generato da ") +
           source + QStringLiteral(".") + QChar('\r') + description + end + QChar('\r') +
           QChar('\r') +
           QStringLiteral("Se il problema persiste, contattare il servizio di assistenza tecnica.");
}
