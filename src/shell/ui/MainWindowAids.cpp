// The input aids of the cards: choice lists, the actor list, the lookup editors, and the
// find window.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "cards/Archives.h"
#include "cards/CardBrowser.h"
#include "cards/ui/CardFrame.h"
#include "platform/core/ProgramFolder.h"
#include "platform/ui/Binder.h"
#include "platform/ui/LookupCombo.h"
#include "platform/ui/WheelGuard.h"
#include "registers/ui/LookupListWindow.h"
#include "search/ui/FindWindow.h"
#include "shell/ActorList.h"
#include "shell/ReadOnlyCommands.h"
#include "shell/ui/MainWindow.h"

namespace {

bool stepsClosedList(const QComboBox& list, const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        case Qt::Key_Home:
        case Qt::Key_End:
            return !list.isEditable();
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            // A list without a text box jumps to the entry with the typed initial.
            return !list.isEditable() && !key.text().isEmpty();
    }
}

}  // namespace

void MainWindow::buildChoiceLists() {
    for (const ChoiceListDef& def : Archives::choiceLists()) {
        QWidget* field = frame(def.archive)->control(def.control);
        auto* list = new QComboBox(field->parentWidget());
        list->setObjectName(def.list);
        // The three value lists take typed text too; the actor list only adds a name.
        list->setEditable(!def.appendsLine);
        list->setInsertPolicy(QComboBox::NoInsert);
        list->addItems(def.entries);
        // A scrolled list of a few names, not one as tall as the screen over the whole card
        // (the style's own popup for lists that take no typing ignores the limit).
        list->setMaxVisibleItems(15);
        list->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
        list->hide();
        ignoreWheelUnlessFocused(list);
        list->installEventFilter(this);
        choiceLists_.insert(list, &def);
    }
}

void MainWindow::wireInputAids() {
    for (auto it = choiceLists_.cbegin(); it != choiceLists_.cend(); ++it) {
        QComboBox* list = it.key();
        const ChoiceListDef& def = *it.value();
        const FieldDef* field = nullptr;
        for (const FieldDef& f : Archives::def(def.archive).fields)
            if (f.control == def.control)
                field = &f;
        if (field)
            if (QWidget* label = frame(def.archive)->control(field->linkLabel)) {
                label->installEventFilter(this);
                choiceLabels_.insert(label, list);
            }
        if (def.appendsLine)
            connect(list, &QComboBox::activated, this, [this] { takeActor(); });
        else
            connect(list, &QComboBox::activated, this, [this, list] { takeChoice(list); });
    }
    for (CardFrame* fr : frames_) {
        for (LookupCombo* combo : fr->lookupCombos())
            connect(combo, &LookupCombo::buttonDoubleClicked, this,
                    [this, combo] { openLookupEditor(combo->objectName()); });
        // Labels that open a window rather than a list, and the card's buttons, run the
        // command of their name.
        for (const FieldDef& f : fr->archive().fields)
            if (QWidget* label = fr->control(f.linkLabel);
                label && !choiceLabels_.contains(label)) {
                label->installEventFilter(this);
                commandLabels_.insert(label, f.linkLabel);
            }
        for (const char* name : {"SSCommand2", "SSCommand3"})
            if (auto* button =
                    qobject_cast<QAbstractButton*>(fr->control(QString::fromLatin1(name))))
                connect(button, &QAbstractButton::clicked, this,
                        [this, button] { dispatch(button->objectName()); });
    }
}

QWidget* MainWindow::choiceField(const QComboBox* list) const {
    const ChoiceListDef* def = choiceLists_.value(const_cast<QComboBox*>(list));
    return def ? frame(def->archive)->control(def->control) : nullptr;
}

void MainWindow::showChoiceList(QComboBox* list) {
    QWidget* field = choiceField(list);
    if (!field || !field->isEnabled())
        return;
    if (browser_->refuseChange(QStringLiteral("modificare la cartella")))
        return;
    hideChoiceLists();
    // Over the field it fills, as wide as the field (at least as wide as its entries).
    const QRect g = field->geometry();
    list->setGeometry(g.x(), g.y(), qMax(g.width(), list->sizeHint().width()),
                      list->sizeHint().height());
    shownText_ = Binder::textOf(field);
    if (list->isEditable()) {
        // It starts on the field's own text, so that leaving it unchanged changes nothing.
        list->setCurrentIndex(list->findText(shownText_));
        list->setEditText(shownText_);
    }
    shownList_ = list;
    list->raise();
    list->show();
    list->setFocus(Qt::OtherFocusReason);
}

void MainWindow::hideChoiceLists() {
    QComboBox* list = shownList_;
    shownList_ = nullptr;
    if (list)
        list->hide();
}

void MainWindow::takeChoice(QComboBox* list) {
    guarded("MdiForm1.Combo_Click", [this, list] {
        if (list != shownList_)
            return;
        const QString text = list->currentText();
        hideChoiceLists();
        if (text == shownText_)
            return;
        const ChoiceListDef* def = choiceLists_.value(list);
        frame(def->archive)->binder().setText(choiceField(list), text);
    });
}

void MainWindow::takeActor() {
    guarded("MdiForm1.Combo4_Click", [this] {
        QComboBox* list = shownList_;
        auto* actors = qobject_cast<QPlainTextEdit*>(choiceField(list));
        if (!list || !actors)
            return;
        const QString name = list->currentText();
        hideChoiceLists();
        if (name == QLatin1String("nessuno"))
            return;
        QString text = actors->toPlainText();
        // One name a line: a name already there ends its line first.
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        frame(Archive::Videos)->binder().setText(actors, text + name);
        actors->setFocus(Qt::OtherFocusReason);
        actors->moveCursor(QTextCursor::End);
    });
}

bool MainWindow::filterChoiceListEvent(QComboBox* list, QEvent* e) {
    if (list != shownList_)
        return false;
    if (e->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        // Its own popup, another application or a message box taking the focus is not
        // the user leaving the list; nor is the open popup giving the focus to its items.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
            list->view()->isVisible())
            return false;
        if (list->isEditable())
            takeChoice(list);
        else
            hideChoiceLists();
        return false;
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        hideChoiceLists();
        return true;
    }
    // Qt reports a step of the closed list (wheel, arrows, a typed initial) as a pick, so
    // merely looking through it would write into the card. The wheel does nothing here,
    // and those keys open the list, where only a click or Enter picks.
    if (e->type() == QEvent::Wheel)
        return true;
    if (e->type() == QEvent::KeyPress && stepsClosedList(*list, *static_cast<QKeyEvent*>(e))) {
        const QString typed = static_cast<QKeyEvent*>(e)->text();
        list->showPopup();
        if (!list->isEditable() && !typed.trimmed().isEmpty())
            list->view()->keyboardSearch(typed);
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (auto* list = qobject_cast<QComboBox*>(watched); list && choiceLists_.contains(list))
        return filterChoiceListEvent(list, e) || QMainWindow::eventFilter(watched, e);
    if (e->type() == QEvent::MouseButtonRelease && commandLabels_.contains(watched)) {
        dispatch(commandLabels_.value(watched));
        return true;
    }
    if (e->type() == QEvent::MouseButtonRelease && choiceLabels_.contains(watched)) {
        guarded("MdiForm1.Label_Click",
                [this, watched] { showChoiceList(choiceLabels_.value(watched)); });
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        // Enter is swallowed in the title and code fields.
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::fillActorList() {
    for (auto it = choiceLists_.cbegin(); it != choiceLists_.cend(); ++it)
        if (it.value()->appendsLine)
            it.key()->addItems(
                ActorList::readFile(ProgramFolder::dataFile(QStringLiteral("attori.dat"))));
}

void MainWindow::openLookupEditor(const QString& combo) {
    guarded("MdiForm1.DBCombo_DblClick", [this, &combo] {
        const LookupDef* lookup = Archives::lookupByCombo(combo);
        if (!lookup || browser_->refuseChange(ReadOnlyCommands::refusedAction(combo)))
            return;
        // The authors register is a window of its own.
        if (lookup->opensAuthorsRegister()) {
            dispatch(combo);
            return;
        }
        handOverLabel_->setText(lookup->table);
        if (lookup->modalEditor) {
            LookupListWindow editor(*this, services_, lookup->table, this);
            editor.exec();
            return;
        }
        auto* editor = qobject_cast<LookupListWindow*>(lookupEditor_.data());
        if (!editor) {
            editor = new LookupListWindow(*this, services_, lookup->table, this);
            editor->setAttribute(Qt::WA_DeleteOnClose);
            lookupEditor_ = editor;
        } else {
            editor->setListName(lookup->table);
        }
        editor->show();
        editor->raise();
        editor->activateWindow();
    });
}

void MainWindow::openFindWindow() {
    if (!findWindow_)
        findWindow_ = new FindWindow(*this, services_, this);
    findWindow_->show();
    findWindow_->raise();
    findWindow_->activateWindow();
}
