#include "prefs/ui/PasswordPrompt.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/core/AppInfo.h"
#include "platform/core/AppState.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/TitleWidth.h"
#include "prefs/PasswordRules.h"
#include "prefs/ui/PrefsPictures.h"

PasswordPrompt::PasswordPrompt(Services& services, QWidget* parent, int pauseMs)
    : QDialog(parent), services_(services), pauseMs_(pauseMs) {
    setObjectName(QStringLiteral("Password"));
    setWindowTitle(AppInfo::title());
    // Only OK (or closing) answers the prompt; no help button, no resizing.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lockPicture_ = new QLabel(this);
    lockPicture_->setObjectName(QStringLiteral("Picture1"));
    lockPicture_->setPixmap(PrefsPictures::lockClosed());
    lockPicture_->setFixedSize(lockPicture_->pixmap().size());
    QSizePolicy keepRoom = lockPicture_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lockPicture_->setSizePolicy(keepRoom);

    successPicture_ = new QLabel(this);
    successPicture_->setObjectName(QStringLiteral("Picture2"));
    successPicture_->setPixmap(PrefsPictures::lockOpen());
    successPicture_->hide();

    auto* heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("SSPanel2"));
    heading->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    heading->setMargin(4);
    heading->setText(QStringLiteral("Password di ") + AppInfo::title());

    entry_ = new QLineEdit(this);
    entry_->setObjectName(QStringLiteral("Text1"));
    entry_->setEchoMode(QLineEdit::Password);
    entry_->setAccessibleName(QStringLiteral("Password"));
    entry_->setMinimumWidth(220);
    heading->setBuddy(entry_);

    auto* confirmButton = new QPushButton(QStringLiteral("OK"), this);
    confirmButton->setObjectName(QStringLiteral("Command1"));
    confirmButton->setDefault(true);  // Enter in the field answers as OK does

    auto* grid = new QGridLayout(this);
    grid->addWidget(lockPicture_, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(heading, 0, 1);
    grid->addWidget(entry_, 1, 1);
    grid->addWidget(confirmButton, 2, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    connect(confirmButton, &QPushButton::clicked, this, &PasswordPrompt::confirm);
}

void PasswordPrompt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    entry_->setFocus();
}

void PasswordPrompt::confirm() {
    runGuarded(services_.messages, "Password.Command1_Click", [&] {
        if (stage_ != Stage::Waiting)
            return;
        const QString storedPassword = services_.settings.read(PasswordRules::passwordValue());
        switch (PasswordRules::judgeEntry(entry_->text(), storedPassword,
                                          services_.state.passwordRetried)) {
            case PasswordRules::EntryOutcome::Accepted:
                lockPicture_->setPixmap(successPicture_->pixmap());
                pauseThen([this] {
                    stage_ = Stage::Waiting;
                    close();  // runs the close check, which finds the password right
                });
                break;
            case PasswordRules::EntryOutcome::TryAgain:
                services_.messages.information(PasswordRules::retryWarning());
                entry_->setFocus();
                break;
            case PasswordRules::EntryOutcome::EndProgram:
                finish(Rejected);
                break;
        }
    });
}

void PasswordPrompt::reject() {
    runGuarded(services_.messages, "Password.Form_QueryUnload", [&] { closeCheck(); });
}

void PasswordPrompt::closeCheck() {
    // While a pause runs the window does not react: the close waits for its end.
    if (stage_ != Stage::Waiting)
        return;
    const QString storedPassword = services_.settings.read(PasswordRules::passwordValue());
    if (entry_->text() != storedPassword) {
        finish(Rejected);
        return;
    }
    lockPicture_->hide();
    pauseThen([this] { finish(Accepted); });
}

void PasswordPrompt::finish(DialogCode code) {
    stage_ = Stage::Finished;
    done(code);
}

void PasswordPrompt::pauseThen(std::function<void()> next) {
    stage_ = Stage::Pausing;
    entry_->setReadOnly(true);
    // A timer, not a busy loop: the window stays painted during the pause.
    QTimer::singleShot(pauseMs_, this, std::move(next));
}

bool runStartupPassword(Services& services, QWidget* parent, int pauseMs) {
    if (!PasswordRules::promptNeeded(services.settings))
        return true;
    PasswordPrompt prompt(services, parent, pauseMs);
    return prompt.exec() == QDialog::Accepted;
}
