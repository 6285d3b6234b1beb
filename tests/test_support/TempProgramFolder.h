#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "test_support/ScriptedServices.h"
#include "platform/core/AppState.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"

// A throw-away program folder (RACCOLIO_HOME) and settings root (XDG_CONFIG_HOME) with a
// new catalogue in it, plus scripted services bound to them. Restores nothing: every
// test process makes its own.
class TempProgramFolder {
public:
    // cards: how many cards each archive gets (LIBRI, CDAUDIO, CDROM, VIDEO); their
    // fields read "<TABLE> <n> <FIELD>" (n from 1), e.g. "LIBRI 3 TITOLO".
    explicit TempProgramFolder(const QList<int>& cards = {0, 0, 0, 0});

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const;
    QString cataloguePath() const { return file(QStringLiteral("RACCOLIO.MDB")); }
    void writeFile(const QString& name, const QByteArray& content) const;
    // Values of one field of a table, in table order, read straight from the file.
    QStringList column(const QString& table, const QString& field) const;
    int count(const QString& table) const;

private:
    QTemporaryDir dir_;  // first: everything below lives in it

public:
    ScriptedMessageService messages;
    ScriptedFileDialogService files;
    ScriptedInputService input;
    SettingsStore settings;
    AppState state;
    Services services{messages, files, input, settings, state};
};
