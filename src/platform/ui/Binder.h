#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>
#include <vector>

#include "platform/core/AppError.h"

class DataSource;
class QWidget;
class QLabel;

// Ties widgets to the fields of a DataSource, as bound controls do: on every change of
// the current record the widgets are filled (which is never an edit); a user edit is
// written into the record set's buffer at once, so the record set stores it when it
// moves off the record. Text boxes, multi-line boxes, combos and labels are supported;
// a label counts as edited only through setText().
class Binder : public QObject {
    Q_OBJECT
public:
    explicit Binder(DataSource& source, QObject* parent = nullptr);

    void bind(QWidget* widget, const QString& field);
    // Puts a text into a bound text box, multi-line box, combo or label as a user edit.
    void setText(QWidget* widget, const QString& text);
    // Re-reads every widget from the current record.
    void fill();
    // A read-only card: its fields show the record but take no typing, and no edit,
    // not even one set through setText(), reaches the record set.
    void setReadOnly(bool readOnly);
    // The text a bound text box, multi-line box, combo or label shows.
    static QString textOf(const QWidget* widget);
    DataSource& source() { return source_; }
    // The current record could not be read when the widgets were last filled.
    bool recordUnreadable() const { return readFailure_.has_value(); }

signals:
    // A write into the record buffer failed (closed source, engine error...); the
    // widget keeps the text.
    void editFailed(const AppError& error);
    // The current record could not be read: its widgets show nothing of it. Once a fill.
    void readFailed(const AppError& error);

private:
    struct Binding {
        QPointer<QWidget> widget;
        QString field;
    };
    void write(const QString& field, const QString& text);
    const Binding* find(const QWidget* w) const;

    DataSource& source_;
    std::vector<Binding> bindings_;
    bool filling_ = false;
    bool readOnly_ = false;
    std::optional<AppError> readFailure_;  // of the record shown
};
