#include "prefs/ui/PasswordChangeWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/core/AppInfo.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/TitleWidth.h"
#include "prefs/PasswordRules.h"

namespace {

QLineEdit* passwordField(QWidget* parent, const char* name, const QString& label) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setEchoMode(QLineEdit::Password);
    field->setAccessibleName(label);
    field->setMinimumWidth(200);
    return field;
}

}  // namespace

PasswordChangeWindow::PasswordChangeWindow(Services& services, QWidget* parent, int hintDelayMs)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Cambia password di ") + AppInfo::title());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const QString oldLabel = QStringLiteral("Vecchia password:");
    const QString newLabel = QStringLiteral("Nuova password:");
    const QString confirmLabel = QStringLiteral("Conferma nuova password:");
    oldEntry_ = passwordField(this, "Text1", oldLabel);
    newEntry_ = passwordField(this, "Text2", newLabel);
    confirmEntry_ = passwordField(this, "Text3", confirmLabel);

    auto* form = new QFormLayout;
    form->addRow(oldLabel, oldEntry_);
    form->addRow(newLabel, newEntry_);
    form->addRow(confirmLabel, confirmEntry_);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    auto* cancel = new QPushButton(QStringLiteral("&Annulla"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    for (QLineEdit* field : {oldEntry_, newEntry_, confirmEntry_})
        field->installEventFilter(this);
    setTabOrder(oldEntry_, newEntry_);
    setTabOrder(newEntry_, confirmEntry_);
    setTabOrder(confirmEntry_, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, &PasswordChangeWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    hintTimer_ = new QTimer(this);
    hintTimer_->setObjectName(QStringLiteral("Timer1"));
    hintTimer_->setInterval(hintDelayMs);
    connect(hintTimer_, &QTimer::timeout, this, &PasswordChangeWindow::showHintIfNoPassword);
    hintTimer_->start();
}

void PasswordChangeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_ && screen()) {
        centred_ = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool PasswordChangeWindow::eventFilter(QObject* watched, QEvent* event) {
    // Enter moves on to the next field, as Tab does, instead of pressing a button.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PasswordChangeWindow::showHintIfNoPassword() {
    runGuarded(services_.messages, "Form4.Timer1_Timer", [&] {
        hintTimer_->stop();
        if (services_.settings.read(PasswordRules::passwordValue()).isEmpty())
            services_.messages.information(PasswordRules::noPasswordYetHint());
    });
}

void PasswordChangeWindow::confirm() {
    runGuarded(services_.messages, "Form4.Command1_Click", [&] {
        const QString storedPassword = services_.settings.read(PasswordRules::passwordValue());
        const auto outcome = PasswordRules::judgeChange(storedPassword, oldEntry_->text(),
                                                        newEntry_->text(), confirmEntry_->text());
        if (outcome == PasswordRules::ChangeOutcome::Accepted) {
            services_.settings.write(PasswordRules::passwordValue(), newEntry_->text());
            accept();
            return;
        }
        services_.messages.information(PasswordRules::changeMessage(outcome));
        (outcome == PasswordRules::ChangeOutcome::ConfirmMismatch ? newEntry_ : oldEntry_)
            ->setFocus();
    });
}
