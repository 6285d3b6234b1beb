#include "search/ui/RicercaForm.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "cards/Archives.h"
#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/ui/LongWork.h"
#include "search/ResultGridModel.h"
#include "search/StructuredSearch.h"
#include "search/ui/PrintCommands.h"
#include "search/ui/SearchIndexPreparation.h"
#include "search/ui/SearchInputs.h"

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

RicercaForm::RicercaForm(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("RicercaForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    const SearchInputs inputs = makeSearchInputs(this);
    field_ = inputs.field;
    text_ = inputs.text;
    QLabel* fieldPanel = inputs.fieldPanel;
    QLabel* textPanel = inputs.textPanel;

    ok_ = button(QStringLiteral("&Ricerca"), "cmdOK", this);
    ok_->setEnabled(false);
    exit_ = button(QStringLiteral("&Uscita"), "cmdCancel", this);
    print_ = button(QStringLiteral("&Stampa ricerca"), "Command1", this);

    model_ = new ResultGridModel(this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("MSFlexGrid1"));
    view_->setAccessibleName(QStringLiteral("Risultato della ricerca"));
    view_->setModel(model_);
    // The field names stay in view as the fixed header row.
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setWordWrap(false);
    view_->setMinimumSize(560, 300);  // the window fits a 640 x 480 screen

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(exit_);
    buttons->addWidget(print_);
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(fieldPanel, 0, 0);
    grid->addWidget(field_, 1, 0);
    grid->addWidget(textPanel, 2, 0);
    grid->addWidget(text_, 3, 0);
    grid->addLayout(buttons, 0, 1, 4, 1);
    grid->addWidget(view_, 4, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);

    connect(text_, &QLineEdit::textChanged, this,
            [this](const QString& t) { ok_->setEnabled(!t.isEmpty()); });
    connect(ok_, &QPushButton::clicked, this, &RicercaForm::search);
    connect(text_, &QLineEdit::returnPressed, this, &RicercaForm::search);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    connect(print_, &QPushButton::clicked, this, [this] {
        printSearchResult(cards_, field_->currentText(), text_->text(), services_, this);
    });
    // Rows are read while the view paints: widen after the paint, not inside it.
    connect(model_, &ResultGridModel::rowsRead, this, &RicercaForm::widenColumns,
            Qt::QueuedConnection);
}

RicercaForm::~RicercaForm() = default;

void RicercaForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!setUp_) {
        setUp_ = true;
        runGuarded(services_.messages, "RicercaForm.Form_Activate", [this] { setUp(); });
    }
}

std::shared_ptr<Database> RicercaForm::catalogue() const {
    return Database::open(ProgramFolder::file(AppInfo::catalogueFileName()));
}

void RicercaForm::setUp() {
    const ArchiveDef& archive = cards_.browser().archiveDef();
    tableFields_ = catalogue()->fieldNames(archive.table);
    resetGrid();
    setWindowTitle(archive.searchCaption);
    DataSource& source = cards_.browser().currentSource();
    const QStringList cardFields =
        source.isOpen() ? source.recordset().fieldNames() : archive.tableOrder;
    field_->clear();
    field_->addItems(StructuredSearch::fieldChoices(archive, cardFields));
    field_->setCurrentIndex(-1);
}

void RicercaForm::resetGrid() {
    model_->showHeader(tableFields_);
    const QFontMetrics metrics = view_->horizontalHeader()->fontMetrics();
    for (int c = 0; c < tableFields_.size(); ++c)
        view_->setColumnWidth(c, metrics.horizontalAdvance(tableFields_[c]) + 16);
}

void RicercaForm::widenColumns(int first, int last) {
    // Only ever wider: the text plus 200 twips.
    const QFontMetrics metrics = view_->fontMetrics();
    const int extra = qRound(200.0 * logicalDpiX() / 1440.0);
    for (int c = 0; c < model_->columnCount(); ++c) {
        int widest = view_->columnWidth(c);
        for (int r = first; r <= std::min(last, model_->rowCount() - 1); ++r) {
            const int w = metrics.horizontalAdvance(model_->index(r, c).data().toString());
            if (w > widest)
                widest = w + extra;
        }
        if (widest > view_->columnWidth(c))
            view_->setColumnWidth(c, widest);
    }
}

void RicercaForm::search() {
    // Damage met on the way is answered as on a card, once its error has been shown.
    const auto failed = [this](const AppError& e) { cards_.readFailed(e); };
    runGuarded(services_.messages, "RicercaForm.cmdOK_Click", failed, [this] {
        if (text_->text().isEmpty())
            return;
        if (field_->currentText().isEmpty()) {
            services_.messages.critical(StructuredSearch::noFieldMessage());
            field_->setFocus();
            return;
        }
        prepareSearchIndex(this, *catalogue(), cards_.browser().archiveDef(), field_->currentText(),
                           text_->text());
        resetGrid();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const ArchiveDef& archive = cards_.browser().archiveDef();
        std::shared_ptr<Database> db = catalogue();

        StructuredSearch::Outcome outcome;
        {
            // The progress window is modal over the program, so no second search can start
            // inside the first.
            LongWork work(this, QStringLiteral("Ricerca in corso..."));
            outcome = StructuredSearch::run(*db, archive, field_->currentText(), text_->text(),
                                            work.ticker());
        }
        restoreCursor.dismiss();
        QApplication::restoreOverrideCursor();
        if (outcome.cancelled)
            return;
        if (outcome.count == 0) {
            services_.messages.plain(StructuredSearch::noMatchMessage());
            return;
        }
        services_.messages.plain(StructuredSearch::foundMessage(outcome.count));
        model_->showResult(db, archive.resultTable, tableFields_, outcome.count);
        widenColumns(0, std::min(model_->rowCount(), ResultGridModel::blockRows) - 1);
        view_->setCurrentIndex(model_->index(0, 0));
    });
}
