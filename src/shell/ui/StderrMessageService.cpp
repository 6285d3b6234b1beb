#include "shell/ui/StderrMessageService.h"

#include <cstdio>

MessageService::Answer StderrMessageService::show(const QString& text, Buttons buttons, Icon icon) {
    const char* kind = icon == Icon::Critical      ? "critical"
                       : icon == Icon::Question    ? "question"
                       : icon == Icon::Information ? "information"
                                                   : "plain";
    std::fprintf(stderr, "[%s] %s\n", kind, text.toUtf8().constData());
    std::fflush(stderr);
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}
