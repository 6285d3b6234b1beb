#pragma once

#include <QDialog>

class QRadioButton;

// Form2: automatic or manual procedure for a backup or a restore. Closing it from the
// title bar or with Esc counts as "Annulla" (the hidden Option2 gets selected).
class BackupModeWindow : public QDialog {
    Q_OBJECT
public:
    explicit BackupModeWindow(QWidget* parent = nullptr);

    // Shows the window modally with Option1 selected; the option chosen afterwards.
    enum class Choice { Automatic, Manual, Cancelled };
    Choice ask(const QString& caption);

    void reject() override;

private:
    QRadioButton* automatic_;
    QRadioButton* manual_;
    QRadioButton* cancelled_;
};
