#pragma once

#include <QFrame>
#include <QHash>
#include <QString>

#include "cards/Archives.h"

class Binder;
class DataSource;
class LookupCombo;

// One archive's card: the frame of bound controls built from the table of archives,
// laid out as a two-column form with the long texts below and the keyword labels last.
class CardFrame : public QFrame {
    Q_OBJECT
public:
    CardFrame(const ArchiveDef& archive, DataSource& source, QWidget* parent = nullptr);

    const ArchiveDef& archive() const { return archive_; }
    Binder& binder() { return *binder_; }
    // A control of the card by its name (Text1, DBCombo6, Label4, the labels that open a
    // list such as Supporto, ...); nullptr if absent.
    QWidget* control(const QString& name) const { return controls_.value(name); }
    QList<LookupCombo*> lookupCombos() const;

private:
    QWidget* makeField(const FieldDef& f);
    const ArchiveDef& archive_;
    Binder* binder_;
    QHash<QString, QWidget*> controls_;
};
