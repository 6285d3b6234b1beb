// The input aids of the cards: choice lists, the actor list, the lookup editors.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "cards/Archives.h"
#include "cards/ui/CardFrame.h"
#include "platform/services/Guard.h"
#include "platform/ui/Binder.h"
#include "platform/ui/LookupCombo.h"
#include "shell/ui/LookupEditors.h"
#include "shell/ui/MainWindow.h"

namespace {

// Choice list number -> the card field it fills and the label that calls it.
struct PopupPlace {
    int tab;
    const char* field;
    const char* label;
};
constexpr PopupPlace popupPlaces[] = {
    {3, "Text14", "Supporto"},
    {4, "Text138", "Rated"},
    {4, "Text139", "Giudizio"},
    {4, "Text15", "Attori"},
};

}  // namespace

QWidget* MainWindow::popupField(int number) const {
    if (number < 1 || number > 4)
        return nullptr;
    const PopupPlace& p = popupPlaces[number - 1];
    return frame(p.tab)->control(QString::fromUtf8(p.field));
}

void MainWindow::wireInputAids() {
    for (int n = 1; n <= 4; ++n) {
        const PopupPlace& p = popupPlaces[n - 1];
        if (auto* label = frame(p.tab)->findChild<QLabel*>(QString::fromUtf8(p.label))) {
            label->installEventFilter(this);
            popupLabels_.insert(label, n);
        }
        QComboBox* list = popupLists_[n - 1];
        list->installEventFilter(this);
        if (n <= 3)
            connect(list, &QComboBox::activated, this, [this, n] { takePopupChoice(n); });
        else
            connect(list, &QComboBox::activated, this, [this] { takeActor(); });
    }
    for (CardFrame* fr : frames_)
        for (LookupCombo* combo : fr->lookupCombos())
            connect(combo, &LookupCombo::buttonDoubleClicked, this,
                    [this, combo] { openLookupEditor(combo->objectName()); });
}

void MainWindow::showPopupList(int number) {
    QComboBox* list = popupLists_.value(number - 1);
    QWidget* field = popupField(number);
    if (!list || !field)
        return;
    // Over the field it fills, as wide as the field (at least as wide as its entries).
    const QRect g = field->geometry();
    list->setGeometry(g.x(), g.y(), qMax(g.width(), list->sizeHint().width()),
                      list->sizeHint().height());
    list->raise();
    list->show();
}

void MainWindow::takePopupChoice(int number) {
    guarded("MdiForm1.Combo_Click", [this, number] {
        QComboBox* list = popupLists_.value(number - 1);
        QWidget* field = popupField(number);
        if (!list || !field)
            return;
        list->hide();
        frame(popupPlaces[number - 1].tab)->binder().setText(field, list->currentText());
    });
}

void MainWindow::takeActor() {
    guarded("MdiForm1.Combo4_Click", [this] {
        QComboBox* list = popupLists_.value(3);
        auto* actors = qobject_cast<QPlainTextEdit*>(popupField(4));
        if (!list || !actors)
            return;
        const QString name = list->currentText();
        list->hide();
        if (name == QLatin1String("nessuno"))
            return;
        QString text = actors->toPlainText();
        // One name a line: a name already there ends its line first.
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        frame(4)->binder().setText(actors, text + name);
        actors->setFocus(Qt::OtherFocusReason);
        actors->moveCursor(QTextCursor::End);
    });
}

void MainWindow::openLookupEditor(const QString& combo) {
    guarded("MdiForm1.DBCombo_DblClick", [this, &combo] {
        const LookupEditorPlace* place = lookupEditorFor(combo);
        if (!place)
            return;
        if (!place->table.isEmpty())
            label2_->setText(place->table);
        openLookupEditorWindow(*this, services_, *place, lookupEditor_);
    });
}
