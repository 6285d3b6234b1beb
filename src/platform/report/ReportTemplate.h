#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// A report template: our own text format, described in docs/report-format.md. It names
// its data (a table and an order), its texts and its body: columns (one line per record)
// or cards (one block of labelled lines per record). Every record takes the same height,
// so page n maps to its records by arithmetic.
struct ReportColumn {
    QString field;
    QString caption;
    int weight = 1;  // share of the page width (columns) — unused by cards
};

// Error number of everything the report engine refuses (template, formula, printer).
inline constexpr int kReportErrorNumber = 20500;

struct ReportTemplate {
    enum class Body { Columns, Cards };

    QString name;  // file name, for messages
    QString source;
    QStringList order;
    QString title;
    QString heading;  // may hold {FORMULA} references
    QMap<QString, QString> formulas;
    bool landscape = false;
    Body body = Body::Columns;
    std::vector<ReportColumn> columns;

    // Reads a template file; a missing file raises AppError 53, a malformed one the report
    // error naming the file and line.
    static ReportTemplate load(const QString& path);
    static ReportTemplate parse(const QString& text, const QString& name);

    // Applies formula slot 0: "" leaves the template's own texts; "NAME= text" replaces
    // the text of formula NAME (outer double quotes dropped). A formula the template
    // lacks is an error.
    void applyFormula(const QString& assignment);
    // The heading with its formulas filled in.
    QString expandedHeading() const;
    QStringList fields() const;
};
