#pragma once

#include <QFile>
#include <QProcess>
#include <QTest>

#include "platform/db/Database.h"

// A started program comes up on a new catalogue at `catalogue`, gets through its first
// activation without a single message on standard error, and is then killed.
inline void expectCleanStart(QProcess& program, const QString& catalogue) {
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(catalogue), 20000);
    QTest::qWait(1500);  // the first activation runs
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished();
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(!err.contains(QLatin1Char('[')), qPrintable(err));
    QVERIFY(Database::open(catalogue)->hasTable(QStringLiteral("LIBRI")));
}
