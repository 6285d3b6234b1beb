// Browsing, adding, confirming and deleting cards of the current archive.
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabBar>

#include "cards/ui/CardFrame.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/MessageService.h"
#include "platform/settings/SettingsStore.h"
#include "shell/ui/CommandBar.h"
#include "shell/ui/MainWindow.h"

int MainWindow::counterValue(const QLabel* label) const {
    // Read back by numeric value, as the counter texts are plain digits.
    return label->text().trimmed().toInt();
}

void MainWindow::setCounter(QLabel* label, int value) {
    label->setText(QString::number(value));
}

void MainWindow::focusHolder() {
    text11_->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::addPending() const {
    return commandBar_->isVisible(QStringLiteral("ID_Conferma"));
}

void MainWindow::firstCard() {
    guarded("MdiForm1.Primo", [this] { doFirst(); });
}
void MainWindow::lastCard() {
    guarded("MdiForm1.Ultimo", [this] { doLast(); });
}
void MainWindow::previousCard() {
    guarded("MdiForm1.Precedente", [this] { doPrevious(); });
}
void MainWindow::nextCard() {
    guarded("MdiForm1.Successivo", [this] { doNext(); });
}
void MainWindow::confirmCard() {
    guarded("MdiForm1.Conferma", [this] { doConfirm(); });
}

void MainWindow::doFirst() {
    DataSource& ds = currentSource();
    RecordSet& rs = ds.recordset();
    if (rs.recordCount() == 0 && rs.editMode() == RecordSet::EditMode::None) {
        // An empty archive: nothing to move to.
        setCounter(label5_, 0);
        setCounter(label7_, 0);
        ds.notifyCurrentChanged();
        return;
    }
    ds.moveLast();
    ds.moveFirst();
    setCounter(label5_, rs.recordCount());
    setCounter(label7_, 1);
}

void MainWindow::doLast() {
    DataSource& ds = currentSource();
    RecordSet& rs = ds.recordset();
    setCounter(label7_, rs.recordCount());
    if (rs.recordCount() == 0 && rs.editMode() == RecordSet::EditMode::None) {
        ds.notifyCurrentChanged();
        return;
    }
    ds.moveFirst();
    ds.moveLast();
}

void MainWindow::doPrevious() {
    DataSource& ds = currentSource();
    setCounter(label5_, ds.recordset().recordCount());
    setCounter(label7_, counterValue(label7_) - 1);
    if (counterValue(label7_) <= 0) {
        focusHolder();
        services_.messages.information(
            QStringLiteral("Cartella iniziale. Impossibile decrementare."));
        setCounter(label7_, counterValue(label7_) + 1);
        return;
    }
    ds.movePrevious();
    focusHolder();
}

void MainWindow::doNext() {
    DataSource& ds = currentSource();
    const int count = ds.recordset().recordCount();
    setCounter(label5_, count);
    setCounter(label7_, counterValue(label7_) + 1);
    focusHolder();
    if (counterValue(label7_) > count) {
        services_.messages.information(
            QStringLiteral("Ultima cartella. Impossibile incrementare."));
        setCounter(label7_, counterValue(label7_) - 1);
        return;
    }
    ds.moveNext();
    focusHolder();
}

void MainWindow::addCard() {
    guarded("MdiForm1.Aggiungi", [this] {
        if (services_.settings.flag(QStringLiteral("Aggiungi")) &&
            !services_.messages.question(
                QStringLiteral("Si desidera aggiungere una nuova cartella nella scheda ?")))
            return;
        commandBar_->setCardCommandsEnabled(false);
        tabs_->setEnabled(false);
        commandBar_->setVisible(QStringLiteral("ID_Conferma"), true);
        doLast();
        DataSource& ds = currentSource();
        ds.recordset().addNew();
        ds.notifyCurrentChanged();
        setCounter(label7_, counterValue(label5_) + 1);
        setCounter(label5_, counterValue(label5_) + 1);
        // The new card starts at its first field.
        if (QWidget* first =
                frame(currentTab())->control(frame(currentTab())->archive().fields.front().control))
            first->setFocus(Qt::OtherFocusReason);
    });
}

void MainWindow::doConfirm() {
    doFirst();
    doLast();
    commandBar_->setVisible(QStringLiteral("ID_Conferma"), false);
    commandBar_->setCardCommandsEnabled(true);
    tabs_->setEnabled(true);
}

void MainWindow::deleteCard() {
    guarded("MdiForm1.Elimina", [this] {
        // The only card of an archive is never deleted (nor is there one to delete in an empty
        // one).
        if (counterValue(label5_) <= 1) {
            services_.messages.information(
                QStringLiteral("Impossibile cancellare la cartella specificata."));
            return;
        }
        if (services_.settings.flag(QStringLiteral("Elimina")) &&
            !services_.messages.question(
                QStringLiteral("Si desidera realmente cancellare la cartella corrente ?")))
            return;
        DataSource& ds = currentSource();
        ds.recordset().deleteCurrent();
        if (counterValue(label7_) == 1) {
            doLast();
            doFirst();
        }
        if (counterValue(label7_) > 1)
            doPrevious();
    });
}

void MainWindow::selectTab(int index) {
    if (index < 0 || index > 3)
        return;
    if (addPending())
        doConfirm();
    // An edit of the card being left is stored with it.
    RecordSet& leaving = currentSource().recordset();
    if (leaving.editMode() != RecordSet::EditMode::None)
        leaving.update();
    for (int i = 1; i <= 4; ++i)
        dataSource(i)->setVisible(i == index + 1);
    stack_->setCurrentIndex(index);
    doLast();
    doFirst();
}
