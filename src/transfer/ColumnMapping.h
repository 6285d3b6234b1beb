#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

struct ArchiveDef;

// Which column of a file fills which field of an archive. Fields are numbered in the
// archive table's own order (ArchiveDef::tableOrder); -1 leaves a column out.
class ColumnMapping {
public:
    ColumnMapping(const ArchiveDef& archive, const QStringList& columns);

    // The first guess: a column goes to the field whose name, card label or usual
    // English or Italian column name (as reading sites and spreadsheets export them)
    // it carries, letter case, accents and punctuation aside.
    static int guessField(const ArchiveDef& archive, const QString& column);

    const QStringList& columns() const { return columns_; }
    int target(int column) const { return targets_.at(std::size_t(column)); }
    void setTarget(int column, int field);
    int fieldCount() const { return int(fields_.size()); }
    const QStringList& fields() const { return fields_; }
    // Fields some column fills.
    std::vector<bool> mappedFields() const;
    bool mapsAnything() const;

    // The row as stored: values in table order; two columns on one field are joined with
    // "; " (empty ones left out).
    void apply(const std::vector<std::string>& row, std::vector<std::string>& values) const;

private:
    QStringList columns_;
    QStringList fields_;
    std::vector<int> targets_;
};
