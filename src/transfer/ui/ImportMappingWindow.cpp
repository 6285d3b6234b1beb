#include "transfer/ui/ImportMappingWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "cards/Archives.h"
#include "platform/core/AppInfo.h"
#include "platform/ui/WheelGuard.h"

namespace {

QString fieldCaption(const ArchiveDef& archive, const QString& field) {
    for (const FieldDef& f : archive.fields)
        if (f.field == field && !f.label.isEmpty())
            return QStringLiteral("%1 (%2)").arg(f.label, field);
    return field;
}

QString delimiterName(char d) {
    switch (d) {
        case ';':
            return QStringLiteral("punto e virgola");
        case '\t':
            return QStringLiteral("tabulazione");
        default:
            return QStringLiteral("virgola");
    }
}

}  // namespace

ImportMappingWindow::ImportMappingWindow(const ArchiveDef& archive, const QString& fileName,
                                         const CsvImport::Preview& preview, QWidget* parent)
    : QDialog(parent),
      archive_(archive),
      preview_(preview),
      mapping_(archive, preview.columns),
      columns_(new QTableWidget(int(preview.columns.size()), 2, this)),
      rows_(new QTableWidget(this)),
      skip_(new QCheckBox(QStringLiteral("&Salta le schede già presenti"), this)) {
    setObjectName(QStringLiteral("ImportMappingWindow"));
    setWindowTitle(AppInfo::title() + QStringLiteral(" - Importa schede"));

    auto* about =
        new QLabel(QStringLiteral("File: %1\nArchivio: %2 - codifica %3, separatore %4")
                       .arg(QFileInfo(fileName).fileName(), archive.caption,
                            TextEncoding::name(preview.encoding), delimiterName(preview.delimiter)),
                   this);
    about->setObjectName(QStringLiteral("FileLabel"));
    about->setWordWrap(true);

    auto* columnsLabel =
        new QLabel(QStringLiteral("&Colonne del file e campi dell'archivio:"), this);
    columnsLabel->setBuddy(columns_);
    columns_->setObjectName(QStringLiteral("MappingTable"));
    columns_->setHorizontalHeaderLabels(
        {QStringLiteral("Colonna del file"), QStringLiteral("Campo dell'archivio")});
    columns_->verticalHeader()->hide();
    columns_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    columns_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    columns_->setSelectionMode(QAbstractItemView::NoSelection);
    columns_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < preview.columns.size(); ++c) {
        auto* name = new QTableWidgetItem(preview.columns[c]);
        columns_->setItem(c, 0, name);
        auto* combo = new QComboBox(columns_);
        combo->setObjectName(QStringLiteral("FieldCombo%1").arg(c));
        combo->setAccessibleName(preview.columns[c]);
        combo->addItem(QStringLiteral("(non importare)"), -1);
        for (int f = 0; f < archive.tableOrder.size(); ++f)
            combo->addItem(fieldCaption(archive, archive.tableOrder[f]), f);
        combo->setCurrentIndex(mapping_.target(c) + 1);
        ignoreWheelUnlessFocused(combo);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c](int index) {
            mapping_.setTarget(c, index - 1);
            fillPreview();
        });
        columns_->setCellWidget(c, 1, combo);
    }
    // One height for every row: that of a combo, the tallest thing in them.
    if (columns_->rowCount() > 0)
        columns_->verticalHeader()->setDefaultSectionSize(
            columns_->cellWidget(0, 1)->sizeHint().height());

    auto* rowsLabel = new QLabel(
        QStringLiteral("&Anteprima: le prime %1 righe come saranno registrate").arg(20), this);
    rowsLabel->setBuddy(rows_);
    rows_->setObjectName(QStringLiteral("PreviewTable"));
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->verticalHeader()->setDefaultSectionSize(rows_->fontMetrics().height() + 8);

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(columnsLabel);
    topLayout->addWidget(columns_);
    auto* bottom = new QWidget(this);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(rowsLabel);
    bottomLayout->addWidget(rows_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(top);
    split->addWidget(bottom);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Importa"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ImportButton"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("A&nnulla"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(split, 1);
    layout->addWidget(skip_);
    layout->addWidget(buttons);

    fillPreview();
    // Roomy where the screen allows, never larger than it (640 x 480 included).
    const QSize available = screen()->availableGeometry().size() - QSize(16, 40);
    resize(QSize(760, 560).boundedTo(available).expandedTo(minimumSizeHint()));
}

bool ImportMappingWindow::skipExisting() const {
    return skip_->isChecked();
}

void ImportMappingWindow::fillPreview() {
    const std::vector<bool> mapped = mapping_.mappedFields();
    std::vector<int> shown;
    QStringList headers;
    for (std::size_t f = 0; f < mapped.size(); ++f)
        if (mapped[f]) {
            shown.push_back(int(f));
            headers << fieldCaption(archive_, archive_.tableOrder[int(f)]);
        }
    rows_->clear();
    rows_->setColumnCount(int(shown.size()));
    rows_->setHorizontalHeaderLabels(headers);
    rows_->setRowCount(int(preview_.rows.size()));
    std::vector<std::string> values;
    for (std::size_t r = 0; r < preview_.rows.size(); ++r) {
        mapping_.apply(preview_.rows[r], values);
        for (std::size_t k = 0; k < shown.size(); ++k)
            rows_->setItem(
                int(r), int(k),
                new QTableWidgetItem(QString::fromStdString(values[std::size_t(shown[k])])));
    }
    // Wide enough for the caption and the values, but one long note does not take the row.
    rows_->resizeColumnsToContents();
    for (int k = 0; k < rows_->columnCount(); ++k)
        rows_->setColumnWidth(k, std::min(rows_->columnWidth(k), 260));
}
