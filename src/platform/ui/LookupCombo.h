#pragma once

#include <QComboBox>
#include <QTimer>

class DataSource;

// An editable combo whose list holds the word field of every row of a lookup data
// source; the text is free, a word not in the list is stored as typed. A double click
// on the drop-down button (and only there) is reported as buttonDoubleClicked: the
// popup opens only once the double-click interval has passed without a second press,
// so a double click never leaves a popup open.
class LookupCombo : public QComboBox {
    Q_OBJECT
public:
    explicit LookupCombo(QWidget* parent = nullptr);

    void setListSource(DataSource* source, const QString& wordField);
    DataSource* listSource() const { return source_; }
    // Re-reads the words from the list source, keeping the edit text.
    void reloadList();
    bool isOnButton(const QPoint& pos) const;
    // Shows its text but takes no typing and no choice from the list (a read-only
    // catalogue); the double click on the button is still reported.
    void setReadOnly(bool readOnly);
    void showPopup() override;

signals:
    void buttonDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    DataSource* source_ = nullptr;
    QString wordField_;
    QTimer popupDelay_;
    bool readOnly_ = false;
};
