#include "prefs/ui/OptionsWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "prefs/ui/PasswordChangeWindow.h"

namespace {

struct BoxSpec {
    Options::Index option;
    const char* name;
    const char* caption;
};

// Rows in the order the page shows them.
constexpr BoxSpec kBoxes[] = {
    {Options::Elimina, "Check1", "Avvisa eliminazione cartelle"},
    {Options::About, "Check2", "Visualizza finestra di about all'avvio"},
    {Options::Uscita, "Check3", "Avvisa uscita programma"},
    {Options::Aggiungi, "Check4", "Avvisa inserimento cartelle"},
    {Options::Conferma, "Check5", "Salva impostazioni in uscita"},
    {Options::OnPassword, "Check6", "Attiva password"},
    {Options::SetRisoluzione, "Check7", "Visualizza info risoluzione video all'avvio"},
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
    passwordButton_ = new QPushButton(QStringLiteral("&Password"), page);
    passwordButton_->setObjectName(QStringLiteral("Command1"));
    passwordButton_->setAutoDefault(false);
    int row = 0;
    for (const BoxSpec& spec : kBoxes) {
        auto* box = new QCheckBox(QString::fromUtf8(spec.caption), page);
        box->setObjectName(QString::fromLatin1(spec.name));
        boxes_[spec.option] = box;
        if (spec.option == Options::OnPassword) {
            // The button sits right after the box that switches the password on.
            auto* line = new QHBoxLayout;
            line->addWidget(box);
            line->addSpacing(12);
            line->addWidget(passwordButton_);
            line->addStretch();
            grid->addLayout(line, row, 0);
        } else {
            grid->addWidget(box, row, 0);
        }
        ++row;
    }
    setTabOrder(boxes_[Options::OnPassword], passwordButton_);
    setTabOrder(passwordButton_, boxes_[Options::SetRisoluzione]);
    grid->setRowStretch(row, 1);
    tabs->addTab(page, QStringLiteral("Opzioni"));

    lastValue_ = new QLabel(this);
    lastValue_->setObjectName(QStringLiteral("Label17"));
    lastValue_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addWidget(tabs);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(boxes_[Options::OnPassword], &QCheckBox::toggled, passwordButton_,
            &QWidget::setEnabled);
    connect(passwordButton_, &QPushButton::clicked, this, &OptionsWindow::openPasswordChange);
    connect(ok, &QAction::triggered, this, &OptionsWindow::save);

    load();
}

void OptionsWindow::load() {
    for (const BoxSpec& spec : kBoxes) {
        lastValue_->setText(services_.settings.read(Options::valueName(spec.option)));
        boxes_[spec.option]->setChecked(Options::isTicked(lastValue_->text()));
    }
    passwordButton_->setEnabled(boxes_[Options::OnPassword]->isChecked());
}

void OptionsWindow::save() {
    runGuarded(services_.messages, "Form3.OK_Click", [&] {
        Options::States states{};
        for (int i = 0; i < Options::Count; ++i)
            states[i] = boxes_[i]->isChecked();
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
