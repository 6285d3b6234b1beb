#include "shell/ui/StderrMessageService.h"

#include <cstdio>

StderrMessageService::StderrMessageService(const QString& answers)
    : answers_(answers.split(QLatin1Char(','), Qt::SkipEmptyParts)) {}

MessageService::Answer StderrMessageService::show(const QString& text, Buttons buttons, Icon icon) {
    const char* kind = icon == Icon::Critical      ? "critical"
                       : icon == Icon::Question    ? "question"
                       : icon == Icon::Information ? "information"
                                                   : "plain";
    std::fprintf(stderr, "[%s] %s\n", kind, text.toUtf8().constData());
    std::fflush(stderr);
    if (buttons != Buttons::YesNo)
        return Answer::Ok;
    const bool yes = !answers_.isEmpty() && answers_.takeFirst().trimmed() == QLatin1String("yes");
    return yes ? Answer::Yes : Answer::No;
}
