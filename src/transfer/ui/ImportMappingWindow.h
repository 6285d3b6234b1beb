#pragma once

#include <QDialog>

#include "transfer/ColumnMapping.h"
#include "transfer/CsvImport.h"

struct ArchiveDef;
class QCheckBox;
class QTableWidget;

// Which column of a CSV file goes to which field of the archive shown, with the first
// rows as they would be stored below. Accepted with "Importa".
class ImportMappingWindow : public QDialog {
    Q_OBJECT
public:
    ImportMappingWindow(const ArchiveDef& archive, const QString& fileName,
                        const CsvImport::Preview& preview, QWidget* parent = nullptr);

    const ColumnMapping& mapping() const { return mapping_; }
    bool skipExisting() const;

private:
    void fillPreview();

    const ArchiveDef& archive_;
    CsvImport::Preview preview_;
    ColumnMapping mapping_;
    QTableWidget* columns_;
    QTableWidget* rows_;
    QCheckBox* skip_;
};
