#include "test_support/ScriptedServices.h"

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

QString quoted(const QString& s) {
    return u'"' + QString(s).replace(u'\r', QStringLiteral("\\r")) + u'"';
}

template <typename T>
void failIfLeft(const QQueue<T>& answers, const char* what) {
    if (!answers.isEmpty())
        failTest(QStringLiteral("%1 queued %2 never asked for")
                     .arg(answers.size())
                     .arg(QString::fromLatin1(what)),
                 false);
}

// The next queued answer; none left fails the test and gives fallback.
template <typename T>
T next(QQueue<T>& answers, const char* what, const QString& asked, T fallback) {
    if (!answers.isEmpty())
        return answers.dequeue();
    failTest(QStringLiteral("%1 without a queued answer: %2")
                 .arg(QString::fromLatin1(what), quoted(asked)));
    return fallback;
}

}  // namespace

ScriptedMessageService::~ScriptedMessageService() {
    failIfLeft(answers_, "message answers");
}

MessageService::Answer ScriptedMessageService::show(const QString& text, Buttons buttons,
                                                    Icon icon) {
    log_.append({text, buttons, icon, {}, owner()});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return next(answers_, "Yes/No message", text, Answer::No);
}

MessageService::Answer ScriptedMessageService::showCaptioned(const QString& caption,
                                                             const QString& text, Buttons buttons,
                                                             Icon icon) {
    const Answer a = show(text, buttons, icon);
    log_.last().caption = caption;
    return a;
}

QStringList ScriptedMessageService::texts() const {
    QStringList out;
    for (const ShownMessage& m : log_)
        out << m.text;
    return out;
}

ScriptedFileDialogService::~ScriptedFileDialogService() {
    failIfLeft(answers_, "file names");
}

QString ScriptedFileDialogService::openFileName(const QString& caption, const QString& startPath,
                                                const QString&) {
    owners_.append(owner());
    startPaths_.append(startPath);
    return next(answers_, "File dialog", caption, QString());
}

QString ScriptedFileDialogService::saveFileName(const QString& caption, const QString& startPath,
                                                const QString&, const QString&) {
    return openFileName(caption, startPath, {});
}

ScriptedInputService::~ScriptedInputService() {
    failIfLeft(answers_, "input answers");
}

std::optional<QString> ScriptedInputService::getText(const QString& prompt, const QString&,
                                                     const QString&) {
    return next(answers_, "Input prompt", prompt, std::optional<QString>());
}
