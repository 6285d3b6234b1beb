#include "ScriptedServices.h"

#include <QTest>

namespace {

// Records a failure of the running test, like QFAIL, from anywhere (a double is called
// deep inside the code under test, or destroyed after the test body). A test that has
// already failed is not charged again for what its early return left behind.
void failTest(const QString& message, bool evenIfFailed = true) {
    // Outside a test function a failure would be dropped without a word: stop instead.
    if (!QTest::currentTestFunction())
        qFatal("%s", qPrintable(message));
    if (!evenIfFailed && QTest::currentTestFailed())
        return;
    QTest::qFail(message.toUtf8().constData(), __FILE__, __LINE__);
}

QString answerName(MessageService::Answer a) {
    switch (a) {
        case MessageService::Answer::Ok:
            return QStringLiteral("Ok");
        case MessageService::Answer::Yes:
            return QStringLiteral("Yes");
        case MessageService::Answer::No:
            return QStringLiteral("No");
    }
    return {};
}

QString quoted(const QString& s) {
    QString shown = s;
    shown.replace(QChar(u'\r'), QStringLiteral("\\r"));
    return u'"' + shown + u'"';
}

}  // namespace

// --- messages -------------------------------------------------------------------

ScriptedMessageService::~ScriptedMessageService() {
    if (answers_.isEmpty())
        return;
    QStringList left;
    for (Answer a : std::as_const(answers_))
        left << answerName(a);
    failTest(QStringLiteral("Queued message answers never asked for: ") + left.join(u", "), false);
}

void ScriptedMessageService::queueAnswer(Answer a) {
    if (a == Answer::Ok) {
        failTest(QStringLiteral("Ok messages need no queued answer"));
        return;
    }
    answers_.enqueue(a);
}

MessageService::Answer ScriptedMessageService::show(const QString& text, Buttons buttons,
                                                    Icon icon) {
    log_.append({text, buttons, icon});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers_.isEmpty()) {
        failTest(QStringLiteral("Yes/No message without a queued answer: ") + quoted(text));
        return Answer::No;
    }
    return answers_.dequeue();
}

QStringList ScriptedMessageService::texts() const {
    QStringList out;
    for (const ShownMessage& m : log_)
        out << m.text;
    return out;
}

// --- file dialogs ---------------------------------------------------------------

ScriptedFileDialogService::~ScriptedFileDialogService() {
    if (answers_.isEmpty())
        return;
    QStringList left;
    for (const QString& a : std::as_const(answers_))
        left << quoted(a);
    failTest(QStringLiteral("Queued file names never asked for: ") + left.join(u", "), false);
}

void ScriptedFileDialogService::queueFileName(const QString& path) {
    answers_.enqueue(path);
}

QString ScriptedFileDialogService::openFileName(const QString& caption, const QString&,
                                                const QString&) {
    return next(caption);
}

QString ScriptedFileDialogService::saveFileName(const QString& caption, const QString&,
                                                const QString&, const QString&) {
    return next(caption);
}

QString ScriptedFileDialogService::next(const QString& caption) {
    captions_.append(caption);
    if (answers_.isEmpty()) {
        failTest(QStringLiteral("File dialog without a queued answer: ") + quoted(caption));
        return {};
    }
    return answers_.dequeue();
}

// --- input prompts --------------------------------------------------------------

ScriptedInputService::~ScriptedInputService() {
    if (answers_.isEmpty())
        return;
    QStringList left;
    for (const std::optional<QString>& a : std::as_const(answers_))
        left << (a ? quoted(*a) : QStringLiteral("<cancel>"));
    failTest(QStringLiteral("Queued input answers never asked for: ") + left.join(u", "), false);
}

void ScriptedInputService::queueText(const QString& text) {
    answers_.enqueue(text);
}

void ScriptedInputService::queueCancel() {
    answers_.enqueue(std::nullopt);
}

std::optional<QString> ScriptedInputService::getText(const QString& prompt, const QString&,
                                                     const QString&) {
    prompts_.append(prompt);
    if (answers_.isEmpty()) {
        failTest(QStringLiteral("Input prompt without a queued answer: ") + quoted(prompt));
        return std::nullopt;
    }
    return answers_.dequeue();
}
