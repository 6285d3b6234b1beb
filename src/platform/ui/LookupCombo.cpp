#include "platform/ui/LookupCombo.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"

LookupCombo::LookupCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setToolTip(QStringLiteral("Doppio click (sul pulsantino) per inserimento..."));
    popupDelay_.setSingleShot(true);
    popupDelay_.setInterval(QApplication::doubleClickInterval());
    connect(&popupDelay_, &QTimer::timeout, this, [this] { showPopup(); });
}

void LookupCombo::setListSource(DataSource* source, const QString& wordField) {
    source_ = source;
    wordField_ = wordField;
    reloadList();
}

void LookupCombo::reloadList() {
    if (!source_ || !source_->isOpen())
        return;
    const QString text = currentText();
    QStringList words;
    try {
        RecordSet& rs = source_->recordset();
        if (rs.recordCount() > 0) {
            const RecordSet::Bookmark here = rs.hasCurrent() ? rs.bookmark() : -1;
            rs.moveFirst();
            while (!rs.eof()) {
                words << rs.value(wordField_).toString();
                rs.moveNext();
            }
            if (here >= 0)
                rs.setBookmark(here);
            else
                rs.moveFirst();
        }
    } catch (const AppError& e) {
        // A list that cannot be read stays as it was; the field still takes typed text.
        qCWarning(lcUi) << "cannot read the list of" << objectName() << ":" << e.description();
        return;
    }
    const QSignalBlocker block(this);
    clear();
    addItems(words);
    setCurrentIndex(-1);
    setEditText(text);
}

bool LookupCombo::isOnButton(const QPoint& pos) const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->hitTestComplexControl(QStyle::CC_ComboBox, &opt, pos, this) ==
           QStyle::SC_ComboBoxArrow;
}

void LookupCombo::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isOnButton(e->position().toPoint())) {
        if (popupDelay_.isActive()) {
            popupDelay_.stop();
            emit buttonDoubleClicked();
        } else {
            popupDelay_.start();
        }
        e->accept();
        return;
    }
    QComboBox::mousePressEvent(e);
}

void LookupCombo::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isOnButton(e->position().toPoint())) {
        popupDelay_.stop();
        emit buttonDoubleClicked();
        e->accept();
        return;
    }
    QComboBox::mouseDoubleClickEvent(e);
}
