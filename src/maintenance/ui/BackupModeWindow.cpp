#include "maintenance/ui/BackupModeWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/TitleWidth.h"

BackupModeWindow::BackupModeWindow(QWidget* parent)
    : QDialog(parent),
      automatic_(new QRadioButton(QStringLiteral("Procedura automatica..."), this)),
      manual_(new QRadioButton(QStringLiteral("Procedura manuale..."), this)),
      cancelled_(new QRadioButton(this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    automatic_->setObjectName(QStringLiteral("Option1"));
    manual_->setObjectName(QStringLiteral("Option3"));
    cancelled_->setObjectName(QStringLiteral("Option2"));
    cancelled_->hide();  // only a marker the caller reads

    auto* group = new QButtonGroup(this);
    for (QRadioButton* option : {automatic_, manual_, cancelled_})
        group->addButton(option);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Annulla"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &BackupModeWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(automatic_);
    layout->addWidget(manual_);
    layout->addWidget(cancelled_);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);
}

BackupModeWindow::Choice BackupModeWindow::ask(const QString& caption) {
    setWindowTitle(caption);
    automatic_->setChecked(true);
    exec();
    if (cancelled_->isChecked())
        return Choice::Cancelled;
    return manual_->isChecked() ? Choice::Manual : Choice::Automatic;
}

void BackupModeWindow::reject() {
    cancelled_->setChecked(true);
    QDialog::reject();
}
