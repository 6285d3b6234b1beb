#include "platform/ui/Binder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/ui/LookupCombo.h"

Binder::Binder(DataSource& source, QObject* parent) : QObject(parent), source_(source) {
    connect(&source_, &DataSource::currentChanged, this, &Binder::fill);
}

void Binder::bind(QWidget* widget, const QString& field) {
    bindings_.push_back({widget, field});
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        connect(line, &QLineEdit::textEdited, this,
                [this, field](const QString& t) { write(field, t); });
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        connect(memo, &QPlainTextEdit::textChanged, this, [this, field, memo] {
            if (!filling_)
                write(field, memo->toPlainText());
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // Typed text and a picked entry both end up as the edit text.
        connect(combo, &QComboBox::editTextChanged, this, [this, field](const QString& t) {
            if (!filling_)
                write(field, t);
        });
    }
}

void Binder::setText(QWidget* widget, const QString& text) {
    filling_ = true;
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        line->setText(text);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
        memo->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEditText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    filling_ = false;
    if (const Binding* b = find(widget))
        write(b->field, text);
}

const Binder::Binding* Binder::find(const QWidget* w) const {
    for (const Binding& b : bindings_)
        if (b.widget == w)
            return &b;
    return nullptr;
}

void Binder::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    for (const Binding& b : bindings_) {
        if (auto* line = qobject_cast<QLineEdit*>(b.widget.data()))
            line->setReadOnly(readOnly);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(b.widget.data()))
            memo->setReadOnly(readOnly);
        else if (auto* lookup = qobject_cast<LookupCombo*>(b.widget.data()))
            lookup->setReadOnly(readOnly);
        else if (auto* combo = qobject_cast<QComboBox*>(b.widget.data());
                 combo && combo->lineEdit())
            combo->lineEdit()->setReadOnly(readOnly);
    }
}

void Binder::write(const QString& field, const QString& text) {
    if (readOnly_)
        return;
    if (readFailure_) {
        // The fields show empty, not the record: storing them would overwrite it.
        emit editFailed(AppError(readFailure_->number(), QStringLiteral("Binder"),
                                 QStringLiteral("La cartella non è stata letta dal catalogo: "
                                                "la modifica non è stata salvata")));
        return;
    }
    try {
        RecordSet& rs = source_.recordset();
        if (rs.editMode() == RecordSet::EditMode::None && !rs.hasCurrent())
            return;
        rs.setValue(field, text);
    } catch (const AppError& e) {
        emit editFailed(e);
    }
}

void Binder::fill() {
    RecordSet* rs = source_.isOpen() ? &source_.recordset() : nullptr;
    const bool adding = rs && rs->editMode() == RecordSet::EditMode::Add;
    const bool current = rs && (adding || rs->hasCurrent());
    readFailure_.reset();
    QStringList texts;
    for (const Binding& b : bindings_) {
        if (!current || !b.widget || readFailure_) {
            texts << QString();
            continue;
        }
        try {
            texts << rs->value(b.field).toString();
        } catch (const AppError& e) {
            qCWarning(lcUi) << "cannot show field" << b.field << ":" << e.description();
            texts << QString();
            // A field the table lacks is the binding's fault; any other failure is the
            // record's, read whole, so the other fields would fail alike.
            if (e.number() != ErrorCode::ItemNotFound)
                readFailure_ = e;
        }
    }
    filling_ = true;
    for (qsizetype i = 0; i < qsizetype(bindings_.size()); ++i) {
        const Binding& b = bindings_[std::size_t(i)];
        if (!b.widget)
            continue;
        const QString text = readFailure_ ? QString() : texts[i];
        // With no card to show, or none that could be read, there is nothing to edit either.
        b.widget->setEnabled(current && !readFailure_);
        if (auto* line = qobject_cast<QLineEdit*>(b.widget.data())) {
            line->setText(text);
            line->setCursorPosition(0);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(b.widget.data())) {
            if (memo->toPlainText() != text)
                memo->setPlainText(text);
        } else if (auto* combo = qobject_cast<QComboBox*>(b.widget.data())) {
            combo->setEditText(text);
        } else if (auto* label = qobject_cast<QLabel*>(b.widget.data())) {
            label->setText(text);
        }
    }
    filling_ = false;
    if (readFailure_)
        emit readFailed(*readFailure_);
}

QString Binder::textOf(const QWidget* widget) {
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(widget))
        return memo->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return {};
}
