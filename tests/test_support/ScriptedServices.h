#pragma once

#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/services/FileDialogService.h"
#include "platform/services/InputService.h"
#include "platform/services/MessageService.h"

// Test doubles: answers are queued before the action, every message shown is
// logged, and an answer left unused fails the test at destruction (QFAIL-style
// through QTest::qFail; outside any test function, where a failure would be lost,
// through qFatal) so that a test never silently skips a question.

struct ShownMessage {
    QString text;
    MessageService::Buttons buttons;
    MessageService::Icon icon;
    QString caption = {};      // empty: the application title
    QObject* owner = nullptr;  // the window that named itself as asking; only compared
};

class ScriptedMessageService : public MessageService {
public:
    ~ScriptedMessageService() override;
    // Queue the answer to the next Yes/No message. Ok messages need no answer.
    void queueYes() { answers_.enqueue(Answer::Yes); }
    void queueNo() { answers_.enqueue(Answer::No); }

    Answer show(const QString& text, Buttons buttons, Icon icon) override;
    Answer showCaptioned(const QString& caption, const QString& text, Buttons buttons,
                         Icon icon) override;

    const QList<ShownMessage>& log() const { return log_; }
    QStringList texts() const;
    QString lastText() const { return log_.isEmpty() ? QString() : log_.last().text; }
    int count() const { return int(log_.size()); }
    void clear() { log_.clear(); }
    int pendingAnswers() const { return int(answers_.size()); }

private:
    QQueue<Answer> answers_;
    QList<ShownMessage> log_;
};

class ScriptedFileDialogService : public FileDialogService {
public:
    ~ScriptedFileDialogService() override;
    // The name the next file dialog returns; an empty one is a cancelled dialog.
    void queueFileName(const QString& path) { answers_.enqueue(path); }
    // The window that named itself as asking, for each dialog shown; only compared.
    const QList<QObject*>& owners() const { return owners_; }
    // The file each dialog proposed.
    const QStringList& startPaths() const { return startPaths_; }
    QString openFileName(const QString& caption, const QString& startPath,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& startPath, const QString& filter,
                         const QString& defaultSuffix) override;

private:
    QQueue<QString> answers_;
    QList<QObject*> owners_;
    QStringList startPaths_;
};

class ScriptedInputService : public InputService {
public:
    ~ScriptedInputService() override;
    void queueText(const QString& text) { answers_.enqueue(text); }
    void queueCancel() { answers_.enqueue(std::nullopt); }
    std::optional<QString> getText(const QString& prompt, const QString& title,
                                   const QString& defaultText) override;

private:
    QQueue<std::optional<QString>> answers_;
};
