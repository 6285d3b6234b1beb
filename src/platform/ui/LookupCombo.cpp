#include "platform/ui/LookupCombo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

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

void LookupCombo::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (QLineEdit* edit = lineEdit())
        edit->setReadOnly(readOnly);
}

void LookupCombo::showPopup() {
    if (!readOnly_)
        QComboBox::showPopup();
}

void LookupCombo::keyPressEvent(QKeyEvent* e) {
    // The arrow and page keys would pick another word of the list.
    const int key = e->key();
    if (readOnly_ && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                      key == Qt::Key_PageDown)) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void LookupCombo::wheelEvent(QWheelEvent* e) {
    if (readOnly_) {
        e->ignore();
        return;
    }
    QComboBox::wheelEvent(e);
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
