#include "stats/ui/CountTableWindow.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"

namespace {

// Sorts by the row's figure, not by the text shown.
class FigureItem : public QTableWidgetItem {
public:
    FigureItem(const QString& text, double figure) : QTableWidgetItem(text), figure_(figure) {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        if (const auto* o = dynamic_cast<const FigureItem*>(&other))
            return figure_ < o->figure_;
        return QTableWidgetItem::operator<(other);
    }

private:
    double figure_;
};

constexpr int kRowRole = Qt::UserRole + 1;

}  // namespace

CountTableWindow::CountTableWindow(std::vector<CountRow> rows, Services& services,
                                   QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)), services_(services) {
    setObjectName(QStringLiteral("Conteggi"));
    setWindowTitle(QStringLiteral("Conteggio dei valori"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    table_ = new QTableWidget(int(rows_.size()), 3, this);
    table_->setObjectName(QStringLiteral("Tabella"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Valore"), QStringLiteral("Cartelle"), QStringLiteral("%")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setWordWrap(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setTabKeyNavigation(false);
    for (int i = 0; i < int(rows_.size()); ++i) {
        const CountRow& r = rows_[std::size_t(i)];
        auto* value = new QTableWidgetItem(r.value);
        value->setData(kRowRole, i);
        table_->setItem(i, 0, value);
        table_->setItem(i, 1, new FigureItem(QLocale(QLocale::Italian).toString(r.count),
                                             double(r.count)));
        table_->setItem(i, 2, new FigureItem(CountTable::percentText(r.percent), r.percent));
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(1, Qt::DescendingOrder);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* copyButton =
        buttons->addButton(QStringLiteral("C&opia"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("Copia"));
    QPushButton* saveButton =
        buttons->addButton(QStringLiteral("&Salva in CSV..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("SalvaCsv"));
    QPushButton* closeButton =
        buttons->addButton(QStringLiteral("&Chiudi"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("Chiudi"));
    for (QPushButton* b : {copyButton, saveButton, closeButton})
        b->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this,
            [this] { runGuarded(services_.messages, "Conteggi.Copia_Click", [this] { copy(); }); });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        runGuarded(services_.messages, "Conteggi.SalvaCsv_Click", [this] { save(); });
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(480, 360);
}

std::vector<CountRow> CountTableWindow::shownRows() const {
    std::vector<CountRow> shown;
    for (int i = 0; i < table_->rowCount(); ++i)
        shown.push_back(rows_[std::size_t(table_->item(i, 0)->data(kRowRole).toInt())]);
    return shown;
}

void CountTableWindow::copy() {
    QGuiApplication::clipboard()->setText(CountTable::text(shownRows(), QLatin1Char('\t')));
}

void CountTableWindow::save() {
    QString path = services_.files.saveFileName(QStringLiteral("Salva il conteggio su file"),
                                                ProgramFolder::path(),
                                                QStringLiteral("File CSV (*.csv *.CSV)"),
                                                QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    if (QFileInfo::exists(path) && !services_.messages.question(QStringLiteral(
                                       "Il file selezionato è già presente. Sovrascriverlo ?")))
        return;
    // With its byte-order mark a spreadsheet reads the accented letters as UTF-8.
    QSaveFile file(path);
    const QByteArray bytes =
        QByteArray("\xEF\xBB\xBF") + CountTable::text(shownRows(), QLatin1Char(';')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(ErrorCode::FileError, QStringLiteral("Conteggi"),
                       QStringLiteral("Impossibile scrivere il file %1").arg(path));
    services_.messages.information(
        QStringLiteral("Il conteggio è stato salvato correttamente nel file ") + path);
}
