#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include "test_support/FileBytes.h"

// The pages of a PDF the program wrote.
inline int pdfPages(const QString& path) {
    return int(readBytes(path).count("/Type /Page\n"));
}

// The text layer as a reader copies it; empty when poppler's reader is not installed.
inline QString pdfText(const QString& path) {
    const QString reader = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (reader.isEmpty())
        return {};
    QProcess p;
    p.start(reader, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
