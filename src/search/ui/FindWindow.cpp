#include "search/ui/FindWindow.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "cards/Archives.h"
#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/ui/TitleWidth.h"
#include "search/FindRules.h"
#include "search/ui/SearchIndexPreparation.h"
#include "search/ui/SearchInputs.h"

namespace {

const QString kSearch = QStringLiteral("&Ricerca");
const QString kRepeat = QStringLiteral("&Ripeti ricerca");

QStringList archiveFields(DataSource& source, const ArchiveDef& archive) {
    return source.isOpen() ? source.recordset().fieldNames() : archive.tableOrder;
}

}  // namespace

FindWindow::FindWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("FrmFind"));
    setWindowTitle(QStringLiteral("Trova"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);

    const SearchInputs inputs = makeSearchInputs(this);
    field_ = inputs.field;
    text_ = inputs.text;
    QLabel* fieldPanel = inputs.fieldPanel;
    QLabel* textPanel = inputs.textPanel;

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("Frame1"));
    auto* optionRow = new QHBoxLayout(group);
    const char* captions[] = {"Primo", "Precedente", "Successivo", "Ultimo"};
    directions_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        options_[i] = new QRadioButton(QString::fromUtf8(captions[i]), group);
        options_[i]->setObjectName(QStringLiteral("SSOption%1").arg(i + 1));
        optionRow->addWidget(options_[i]);
        directions_->addButton(options_[i], i);
    }
    options_[0]->setChecked(true);

    ok_ = new QPushButton(kSearch, this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setEnabled(false);
    ok_->setAutoDefault(false);
    exit_ = new QPushButton(QStringLiteral("&Uscita"), this);
    exit_->setObjectName(QStringLiteral("cmdCancel"));
    exit_->setAutoDefault(false);
    // Room for the longer caption the button takes after a find.
    ok_->setMinimumWidth(ok_->fontMetrics().horizontalAdvance(QStringLiteral("Ripeti ricerca")) +
                         32);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(exit_);
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(fieldPanel, 0, 0);
    grid->addWidget(field_, 1, 0);
    grid->addWidget(textPanel, 2, 0);
    grid->addWidget(text_, 3, 0);
    grid->addWidget(group, 4, 0);
    grid->addLayout(buttons, 0, 1, 5, 1);
    grid->setColumnStretch(0, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    setTabOrder(field_, text_);
    setTabOrder(text_, options_[0]);
    for (int i = 0; i < 3; ++i)
        setTabOrder(options_[i], options_[i + 1]);
    setTabOrder(options_[3], ok_);
    setTabOrder(ok_, exit_);

    connect(text_, &QLineEdit::textChanged, this, &FindWindow::enableSearch);
    // A find moves off the card, and no move is open while a new card waits for
    // "Conferma": it would store the card half filled and leave the add mode on.
    connect(&cards_.browser(), &CardBrowser::addPendingChanged, this, &FindWindow::enableSearch);
    connect(ok_, &QPushButton::clicked, this, &FindWindow::search);
    // Enter in the text runs the find as the button does, and like it only with a text.
    connect(text_, &QLineEdit::returnPressed, this, [this] {
        if (ok_->isEnabled())
            search();
    });
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
    connect(&cards_.browser(), &CardBrowser::archiveChanged, this, &FindWindow::followArchive);
    field_->setCurrentIndex(-1);
}

void FindWindow::enableSearch() {
    ok_->setEnabled(!text_->text().isEmpty() && !cards_.browser().addPending());
}

void FindWindow::followArchive() {
    runGuarded(services_.messages, "FrmFind.Form_Activate", [&] {
        const CardBrowser& browser = cards_.browser();
        const ArchiveDef& archive = browser.archiveDef();
        const QString chosen = field_->currentText();
        const QStringList choices =
            FindRules::fieldChoices(archive.table, archiveFields(browser.currentSource(), archive));
        setWindowTitle(FindRules::windowCaption(archive.caption));
        field_->clear();
        field_->addItems(choices);
        field_->setCurrentIndex(chosen.isEmpty() ? -1 : int(choices.indexOf(chosen)));
    });
}

void FindWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (closed_)
        startAfresh();
    if (field_->count() == 0)
        followArchive();
}

void FindWindow::done(int result) {
    // "&Uscita", Escape and the close box all end here.
    closed_ = true;
    QDialog::done(result);
}

void FindWindow::startAfresh() {
    closed_ = false;
    text_->clear();
    field_->clear();
    options_[0]->setChecked(true);
    ok_->setText(kSearch);
    setWindowTitle(QStringLiteral("Trova"));
    field_->setFocus();
}

void FindWindow::search() {
    // Damage met on the way is answered as on a card, once its error has been shown.
    const auto failed = [this](const AppError& e) { cards_.readFailed(e); };
    runGuarded(services_.messages, "FrmFind.cmdOK_Click", failed, [&] {
        ok_->setText(kSearch);
        if (field_->currentText().isEmpty()) {
            field_->setFocus();
            return;
        }
        DataSource& source = cards_.browser().currentSource();
        RecordSet& records = source.recordset();
        const QString criterion = FindRules::criterion(field_->currentText(), records.tableName(),
                                                       records.fieldNames(), text_->text());
        if (records.inTableOrder())
            prepareSearchIndex(this, source.database(), records.tableName(), criterion);
        // The buttons are numbered in the order of the directions.
        const auto direction = FindRules::Direction(qMax(0, directions_->checkedId()));
        const bool found = FindRules::find(records, direction, criterion);
        source.notifyCurrentChanged();
        // The next press goes on in the same direction.
        if (direction == FindRules::Direction::First) {
            options_[2]->setChecked(true);
            options_[2]->setFocus();
        } else if (direction == FindRules::Direction::Last) {
            options_[1]->setChecked(true);
            options_[1]->setFocus();
        }
        ok_->setText(kRepeat);
        if (!found) {
            services_.messages.information(FindRules::noMatchMessage());
            ok_->setText(kSearch);
        }
        cards_.browser().showPosition(FindRules::currentPosition(records));
    });
}
