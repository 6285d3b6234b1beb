#include "search/ui/SearchPrompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/core/AppState.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/ui/TitleWidth.h"

SearchPrompt::SearchPrompt(Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("Serch"));
    setWindowTitle(QStringLiteral("Trova..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    label_ = new QLabel(QStringLiteral("Parola o frase da trovare:"), this);
    label_->setObjectName(QStringLiteral("lblLabels"));
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("txtExpression"));
    text_->setAccessibleName(QStringLiteral("Parola o frase da trovare"));
    text_->setMinimumWidth(260);
    label_->setBuddy(text_);

    fromStart_ = new QRadioButton(QStringLiteral("Inizio"), this);
    fromStart_->setObjectName(QStringLiteral("SSOption1"));
    onward_ = new QRadioButton(QStringLiteral("Successivo"), this);
    onward_->setObjectName(QStringLiteral("SSOption2"));
    onward_->setChecked(true);

    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setEnabled(false);
    ok_->setAutoDefault(false);
    cancel_ = new QPushButton(QStringLiteral("&Annulla"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setAutoDefault(false);

    auto* options = new QHBoxLayout;
    options->addWidget(fromStart_);
    options->addWidget(onward_);
    options->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label_, 0, 0);
    grid->addWidget(text_, 1, 0);
    grid->addLayout(options, 2, 0);
    grid->addLayout(buttons, 0, 1, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    setTabOrder(text_, fromStart_);
    setTabOrder(fromStart_, onward_);
    setTabOrder(onward_, ok_);
    setTabOrder(ok_, cancel_);
    text_->setFocus();

    connect(text_, &QLineEdit::textChanged, this,
            [this](const QString& t) { ok_->setEnabled(!t.isEmpty()); });
    connect(ok_, &QPushButton::clicked, this, &SearchPrompt::confirm);
    // Enter in the text confirms as "&OK" does, and like it only with a text to find.
    connect(text_, &QLineEdit::returnPressed, this, [this] {
        if (ok_->isEnabled())
            confirm();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool SearchPrompt::fromStart() const {
    return fromStart_->isChecked();
}

QString SearchPrompt::text() const {
    return text_->text();
}

void SearchPrompt::confirm() {
    runGuarded(services_.messages, "Serch.cmdOK_Click", [&] {
        services_.state.searchText = text_->text();
        accept();
    });
}

std::optional<bool> askSearchText(Services& services, QWidget* parent) {
    // The confirmed prompt lives with the top-level owner of the caller (the main
    // window), so that every list editor finds it again with its text and choice.
    QWidget* owner = parent;
    while (owner && owner->parentWidget())
        owner = owner->parentWidget();
    QPointer<SearchPrompt> prompt =
        owner ? owner->findChild<SearchPrompt*>(QStringLiteral("Serch"), Qt::FindDirectChildrenOnly)
              : nullptr;
    if (!prompt)
        prompt = new SearchPrompt(services, owner);
    // Shown over its caller, whichever window that is.
    if (parent && prompt->parentWidget() != parent)
        prompt->setParent(parent, prompt->windowFlags());
    const int result = prompt->exec();
    if (!prompt)
        return std::nullopt;  // gone with its caller while it was shown
    const bool fromStart = prompt->fromStart();
    if (result != QDialog::Accepted) {
        delete prompt.data();
        return std::nullopt;
    }
    if (prompt->parentWidget() != owner)
        prompt->setParent(owner, prompt->windowFlags());
    else if (!owner)
        delete prompt.data();  // nobody to keep it: the next one starts afresh
    return fromStart;
}
