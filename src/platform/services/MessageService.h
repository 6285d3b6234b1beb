#pragma once

#include <QString>

#include "platform/services/DialogOwner.h"

class AppError;

// Every message box goes through here; the caption is always the application title.
class MessageService : public DialogService {
public:
    enum class Icon { None, Information, Question, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageService() = default;
    virtual Answer show(const QString& text, Buttons buttons, Icon icon) = 0;
    // The same with a caption of its own (a window's own boxes, such as the game's); a
    // service that cannot show captions shows the box as show() does.
    virtual Answer showCaptioned(const QString& caption, const QString& text, Buttons buttons,
                                 Icon icon) {
        Q_UNUSED(caption);
        return show(text, buttons, icon);
    }

    void information(const QString& text) { show(text, Buttons::Ok, Icon::Information); }
    void critical(const QString& text) { show(text, Buttons::Ok, Icon::Critical); }
    void plain(const QString& text) { show(text, Buttons::Ok, Icon::None); }
    // Yes/No with the question icon; true for Yes.
    bool question(const QString& text) {
        return show(text, Buttons::YesNo, Icon::Question) == Answer::Yes;
    }
    // The shared error message; number 0 shows nothing.
    void error(const AppError& e);
    void error(int number, const QString& source, const QString& description);
};
