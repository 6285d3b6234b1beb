#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/services/FileDialogService.h"
#include "platform/services/InputService.h"
#include "platform/services/MessageService.h"

class QApplication;

// The production services: the only code that opens Qt's message boxes, file dialogs
// and input dialogs. A dialog belongs to the modal window, else to the window that asks
// (DialogOwner), else to the active window, else to the parent.

class QtMessageService : public MessageService {
public:
    explicit QtMessageService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // Caption: the application title. Yes/No boxes default to Yes; Escape answers No.
    Answer show(const QString& text, Buttons buttons, Icon icon) override;
    Answer showCaptioned(const QString& caption, const QString& text, Buttons buttons,
                         Icon icon) override;

private:
    QPointer<QWidget> parent_;
};

// Filters use Qt's notation: "Backup (*.bk4);;Tutti i file (*)". Qt's own dialog is
// used everywhere, so it reads in Italian whatever the desktop.
class QtFileDialogService : public FileDialogService {
public:
    explicit QtFileDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    QString openFileName(const QString& caption, const QString& startPath,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& startPath, const QString& filter,
                         const QString& defaultSuffix) override;

private:
    QPointer<QWidget> parent_;
};

class QtInputService : public InputService {
public:
    explicit QtInputService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // An empty title shows the application title.
    std::optional<QString> getText(const QString& prompt, const QString& title,
                                   const QString& defaultText = {}) override;

private:
    QPointer<QWidget> parent_;
};

// Gives the focus back to the window that asked (a window or a widget in it, null for
// none) once its dialog has closed, whatever window the window manager picks; not while
// a modal window other than it is still up.
void returnFocus(QObject* asker);

// Loads Qt's Italian translation (qtbase_it.qm from Qt's translations folder) so that
// standard buttons read "Sì"/"No" and the file dialogs are Italian. Call it before any
// dialog is created. Returns false when the translation is not installed.
bool installItalianTranslations(QApplication& app);
