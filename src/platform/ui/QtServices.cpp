#include "platform/ui/QtServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "platform/core/AppInfo.h"
#include "platform/ui/TitleWidth.h"

namespace {

// Over the window the user is in: a dialog asked for by a window over the main window (a
// report preview over the structured search) stays over it, and closing the dialog leaves
// that window in front instead of behind the main window, still blocking it. The modal
// window first; then the window that named itself as the asker, since just after a dialog
// closes the window under it is not active yet.
QWidget* dialogParent(QObject* owner, const QPointer<QWidget>& parent) {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (auto* asker = qobject_cast<QWidget*>(owner); asker && asker->isVisible())
        return asker->window();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return parent.data();
}

QMessageBox::Icon boxIcon(MessageService::Icon icon) {
    switch (icon) {
        case MessageService::Icon::Information:
            return QMessageBox::Information;
        case MessageService::Icon::Question:
            return QMessageBox::Question;
        case MessageService::Icon::Critical:
            return QMessageBox::Critical;
        case MessageService::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Messages separate lines with carriage returns; a label breaks lines only on line feeds.
QString displayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    return text;
}

}  // namespace

void returnFocus(QObject* asker) {
    auto* widget = qobject_cast<QWidget*>(asker);
    if (!widget || !widget->isVisible())
        return;
    QWidget* window = widget->window();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window)
        return;
    window->activateWindow();
}

MessageService::Answer QtMessageService::show(const QString& text, Buttons buttons, Icon icon) {
    return showCaptioned(AppInfo::title(), text, buttons, icon);
}

MessageService::Answer QtMessageService::showCaptioned(const QString& caption, const QString& text,
                                                       Buttons buttons, Icon icon) {
    const bool yesNo = buttons == Buttons::YesNo;
    QMessageBox box(boxIcon(icon), caption, displayText(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    dialogParent(owner(), parent_));
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    fitToTitle(&box);
    const int result = box.exec();
    returnFocus(owner());
    if (!yesNo)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtFileDialogService::openFileName(const QString& caption, const QString& startPath,
                                          const QString& filter) {
    QFileDialog dialog(dialogParent(owner(), parent_), caption, startPath, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const int result = dialog.exec();
    returnFocus(owner());
    if (result != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString QtFileDialogService::saveFileName(const QString& caption, const QString& startPath,
                                          const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(dialogParent(owner(), parent_), caption, startPath, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The callers decide themselves what an existing file means.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    const int result = dialog.exec();
    returnFocus(owner());
    if (result != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

std::optional<QString> QtInputService::getText(const QString& prompt, const QString& title,
                                               const QString& defaultText) {
    QInputDialog dialog(dialogParent(owner(), parent_));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title.isEmpty() ? AppInfo::title() : title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultText);
    fitToTitle(&dialog);
    const int result = dialog.exec();
    returnFocus(owner());
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool installItalianTranslations(QApplication& app) {
    // Owned by the application, so it lives as long as the translations are in use.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_it"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
