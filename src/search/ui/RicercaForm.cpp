#include "search/ui/RicercaForm.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
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

// Row 0 of the grid holds the field names: drawn as a fixed header row.
class GridModel : public ResultGridModel {
public:
    using ResultGridModel::ResultGridModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.row() == 0 && role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (index.row() == 0 && role == Qt::BackgroundRole)
            return QApplication::palette().button();
        return ResultGridModel::data(index, role);
    }
};

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

    model_ = new GridModel(this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("MSFlexGrid1"));
    view_->setAccessibleName(QStringLiteral("Risultato della ricerca"));
    view_->setModel(model_);
    view_->horizontalHeader()->hide();  // row 0 of the grid holds the field names
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setWordWrap(false);
    view_->setMinimumSize(640, 300);

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
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { widenColumns(first, last); });
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
    const QFontMetrics metrics = view_->fontMetrics();
    QFont bold = view_->font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);
    for (int c = 0; c < tableFields_.size(); ++c)
        view_->setColumnWidth(c, boldMetrics.horizontalAdvance(tableFields_[c]) + 16);
    view_->setCurrentIndex(model_->index(0, 0));
}

void RicercaForm::widenColumns(int first, int last) {
    // Only ever wider: the text plus 200 twips.
    const QFontMetrics metrics = view_->fontMetrics();
    const int extra = qRound(200.0 * logicalDpiX() / 1440.0);
    for (int c = 0; c < model_->columnCount(); ++c) {
        int widest = view_->columnWidth(c);
        for (int r = std::max(first, 1); r <= last; ++r) {
            const int w = metrics.horizontalAdvance(model_->index(r, c).data().toString());
            if (w > widest)
                widest = w + extra;
        }
        if (widest > view_->columnWidth(c))
            view_->setColumnWidth(c, widest);
    }
}

void RicercaForm::search() {
    runGuarded(services_.messages, "RicercaForm.cmdOK_Click", [this] {
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

        // A search over a large catalogue shows a progress dialog after half a second.
        QProgressDialog progress(QStringLiteral("Ricerca in corso..."), QStringLiteral("Annulla"),
                                 0, 0, this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setAutoReset(false);
        progress.reset();  // hidden until the timer below says so
        QElapsedTimer clock;
        clock.start();
        // Events are handled only while the dialog shows: it is modal over this window,
        // so no second search can start inside the first.
        const auto keepGoing = [&] {
            if (!progress.isVisible() && clock.elapsed() > 500)
                progress.show();
            if (progress.isVisible())
                QApplication::processEvents();
            return !progress.wasCanceled();
        };
        const StructuredSearch::Outcome outcome =
            StructuredSearch::run(*db, archive, field_->currentText(), text_->text(), keepGoing);
        progress.hide();
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
        if (model_->canFetchMore({}))
            model_->fetchMore({});
        view_->setCurrentIndex(model_->index(0, 0));
    });
}
