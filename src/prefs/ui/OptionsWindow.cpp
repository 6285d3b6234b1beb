#include "prefs/ui/OptionsWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QShortcut>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/TitleWidth.h"
#include "prefs/ui/PasswordChangeWindow.h"

namespace {

struct BoxSpec {
    Options::Switch option;
    const char* name;
    const char* caption;
};

// Rows in the order the page shows them.
constexpr BoxSpec kBoxes[] = {
    {Options::DeleteWarning, "Check1", "Avvisa eliminazione cartelle"},
    {Options::AboutAtStart, "Check2", "Visualizza finestra di about all'avvio"},
    {Options::ExitWarning, "Check3", "Avvisa uscita programma"},
    {Options::AddWarning, "Check4", "Avvisa inserimento cartelle"},
    {Options::SaveOnExit, "Check5", "Salva impostazioni in uscita"},
    {Options::PasswordOn, "Check6", "Attiva password"},
    {Options::ResolutionInfo, "Check7", "Visualizza info risoluzione video all'avvio"},
};

}  // namespace

OptionsWindow::OptionsWindow(Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Configurazione programma..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* menu = new QMenuBar(this);
    QAction* ok = menu->addAction(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK"));

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    auto* page = new QWidget(tabs);
    page->setObjectName(QStringLiteral("Opzioni"));
    auto* grid = new QGridLayout(page);
    changePassword_ = new QPushButton(QStringLiteral("&Password"), page);
    changePassword_->setObjectName(QStringLiteral("Command1"));
    changePassword_->setAutoDefault(false);
    int row = 0;
    for (const BoxSpec& spec : kBoxes) {
        auto* box = new QCheckBox(QString::fromUtf8(spec.caption), page);
        box->setObjectName(QString::fromLatin1(spec.name));
        switches_[spec.option] = box;
        if (spec.option == Options::PasswordOn) {
            // The button sits right after the box that switches the password on.
            auto* line = new QHBoxLayout;
            line->addWidget(box);
            line->addSpacing(12);
            line->addWidget(changePassword_);
            line->addStretch();
            grid->addLayout(line, row, 0);
        } else {
            grid->addWidget(box, row, 0);
        }
        ++row;
    }
    setTabOrder(switches_[Options::PasswordOn], changePassword_);
    setTabOrder(changePassword_, switches_[Options::ResolutionInfo]);
    grid->setRowStretch(row, 1);
    tabs->addTab(page, QStringLiteral("Opzioni"));

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addWidget(tabs);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    connect(switches_[Options::PasswordOn], &QCheckBox::toggled, changePassword_,
            &QWidget::setEnabled);
    connect(changePassword_, &QPushButton::clicked, this, &OptionsWindow::openPasswordChange);
    connect(ok, &QAction::triggered, this, &OptionsWindow::save);
    // "OK" is a menu item without a mnemonic: Enter confirms, as in any dialog.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, ok,
                &QAction::trigger);

    load();
}

void OptionsWindow::load() {
    for (const BoxSpec& spec : kBoxes) {
        const QString stored = services_.settings.read(Options::valueName(spec.option));
        switches_[spec.option]->setChecked(Options::isTicked(stored));
    }
    changePassword_->setEnabled(switches_[Options::PasswordOn]->isChecked());
}

void OptionsWindow::save() {
    runGuarded(services_.messages, "Form3.OK_Click", [&] {
        Options::States states{};
        for (int i = 0; i < Options::Count; ++i)
            states[i] = switches_[i]->isChecked();
        Options::save(services_.settings, states);
        accept();
    });
}

void OptionsWindow::openPasswordChange() {
    runGuarded(services_.messages, "Form3.Command1_Click", [&] {
        PasswordChangeWindow window(services_, this);
        window.exec();
    });
}
