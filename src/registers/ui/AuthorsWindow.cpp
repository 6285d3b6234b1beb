#include "registers/ui/AuthorsWindow.h"

#include "registers/ui/CounterLabels.h"

#include "cards/Archives.h"
#include "search/ui/PrintCommands.h"

#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "cards/Archives.h"
#include "cards/CardContext.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/ui/Binder.h"
#include "platform/ui/TitleWidth.h"
#include "search/ui/PrintCommands.h"
#include "search/ui/SearchPrompt.h"

namespace {

QToolButton* button(const QString& caption, const char* name, const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">|")) + 22);
    return b;
}

QPixmap drawn(const std::function<void(QPainter&)>& paint) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pm;
}

}  // namespace

AuthorsWindow::AuthorsWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("Autori"));
    setWindowTitle(QStringLiteral("Autori..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    data_ = new DataSource(this);
    data_->setObjectName(QStringLiteral("Data1"));
    data_->setDatabaseName(AppInfo::catalogueFileName());
    register_ = std::make_unique<AuthorsRegister>(*data_, services_);

    auto* menu = new QMenuBar(this);
    ok_ = menu->addAction(QStringLiteral("&OK"));
    ok_->setObjectName(QStringLiteral("ok01"));
    confirm_ = menu->addAction(QStringLiteral("&Conferma"));
    confirm_->setObjectName(QStringLiteral("conf01agg"));
    cancel_ = menu->addAction(QStringLiteral("&Annulla"));
    cancel_->setObjectName(QStringLiteral("annf01agg"));

    auto* binder = new Binder(*data_, this);
    auto* fields = new QFormLayout;
    auto line = [&](const char* name, const QString& label, const QString& field) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(label);
        binder->bind(edit, field);
        if (!label.isEmpty()) {
            auto* caption = new QLabel(label, this);
            caption->setBuddy(edit);
            fields->addRow(caption, edit);
        }
        return edit;
    };
    name_ = line("Text1", QStringLiteral("Nome"), QStringLiteral("NOME"));
    QLineEdit* surname = line("Text2", QStringLiteral("Cognome"), QStringLiteral("COGNOME"));
    // Runs after the binder has filled the boxes: a row known only by its full name shows
    // it as the surname, which is not an edit.
    connect(data_, &DataSource::currentChanged, surname, [this, surname] {
        try {
            if (data_->isOpen() && data_->recordset().editMode() == RecordSet::EditMode::None)
                surname->setText(register_->surnameShown());
        } catch (const AppError&) {
            // The binder has already reported the unreadable record.
        }
    });
    line("Text3", QStringLiteral("Nazionalità"), QStringLiteral("NAZIONE"));
    auto* notes = new QPlainTextEdit(this);
    notes->setObjectName(QStringLiteral("Text4"));
    notes->setAccessibleName(QStringLiteral("Note"));
    notes->setTabChangesFocus(true);
    notes->setFixedHeight(notes->fontMetrics().lineSpacing() * 4 + 12);
    binder->bind(notes, QStringLiteral("NOTE"));
    fields->addRow(QStringLiteral("Note"), notes);
    // The full name is derived from the two names, so it is shown, not typed.
    QLineEdit* fullName = line("Text5", QString(), QStringLiteral("SOMMA"));
    fullName->setReadOnly(true);
    fullName->setAccessibleName(QStringLiteral("Nome completo"));
    fields->addRow(QString(), fullName);
    name_->setMinimumWidth(320);

    auto* byName = byName_ = new QRadioButton(QStringLiteral("Ordina per nome..."), this);
    byName->setObjectName(QStringLiteral("Option1"));
    byName->setChecked(true);
    auto* bySurname = bySurname_ = new QRadioButton(QStringLiteral("Ordina per cognome..."), this);
    bySurname->setObjectName(QStringLiteral("Option2"));
    auto* orders = new QHBoxLayout;
    orders->addWidget(byName);
    orders->addWidget(bySurname);
    orders->addStretch(1);

    buttons_ = new QFrame(this);
    buttons_->setObjectName(QStringLiteral("Picture1"));
    buttons_->setFrameShape(QFrame::StyledPanel);
    buttons_->setFocusPolicy(Qt::ClickFocus);
    auto* bar = new QHBoxLayout(buttons_);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(3);
    QToolButton* first =
        button(QStringLiteral("|<"), "Command3", QStringLiteral("Primo cartella"), buttons_);
    QToolButton* previous =
        button(QStringLiteral("<"), "Command4", QStringLiteral("cartella precedente"), buttons_);
    QToolButton* next =
        button(QStringLiteral(">"), "Command5", QStringLiteral("Cartella successiva"), buttons_);
    QToolButton* last =
        button(QStringLiteral(">|"), "Command6", QStringLiteral("Ultima cartella"), buttons_);
    QToolButton* add =
        button(QStringLiteral("+"), "Command1", QStringLiteral("Inserisci cartella"), buttons_);
    QToolButton* remove =
        button(QStringLiteral("X"), "Command2", QStringLiteral("Elimina cartella"), buttons_);
    QToolButton* find = button(QString(), "SSCommand1", QStringLiteral("Ricerca..."), buttons_);
    find->setIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.5, 12.5), QPointF(18, 18));
        p.setPen(QPen(QColor(60, 60, 70), 2));
        p.setBrush(QColor(190, 220, 245));
        p.drawEllipse(QRectF(2, 2, 11, 11));
    }));
    QToolButton* print = button(QString(), "Command7", QStringLiteral("Stampa..."), buttons_);
    print->setIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 1.5, 9, 6));
        p.setBrush(QColor(170, 170, 175));
        p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 12.5, 9, 6));
    }));
    for (QWidget* w : std::initializer_list<QWidget*>{first, previous, next, last})
        bar->addWidget(w);
    bar->addSpacing(10);
    const CounterLabels counter = addCounterLabels(bar, buttons_);
    position_ = counter.position;
    count_ = counter.count;
    bar->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{add, remove, find, print})
        bar->addWidget(w);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addLayout(fields);
    layout->addLayout(orders);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    auto step = [this](QToolButton* b, const char* handler, bool (AuthorsRegister::*action)()) {
        connect(b, &QToolButton::clicked, this, [this, handler, action] {
            handle(handler, [this, action] {
                if (!(register_.get()->*action)())
                    name_->setFocus();
            });
        });
    };
    step(first, "Command3_Click", &AuthorsRegister::first);
    step(previous, "Command4_Click", &AuthorsRegister::previous);
    step(next, "Command5_Click", &AuthorsRegister::next);
    step(last, "Command6_Click", &AuthorsRegister::last);
    step(remove, "Command2_Click", &AuthorsRegister::remove);
    connect(add, &QToolButton::clicked, this, [this] {
        handle("Command1_Click", [this] {
            register_->beginAdd();
            showState();
            name_->setFocus();
        });
    });
    connect(confirm_, &QAction::triggered, this,
            [this] { handle("conf01agg_Click", [this] { register_->confirmAdd(); }); });
    connect(cancel_, &QAction::triggered, this,
            [this] { handle("annf01agg_Click", [this] { register_->cancelAdd(); }); });
    connect(byName, &QRadioButton::clicked, this, [this] {
        handle("Option1_Click", [this] { register_->load(AuthorsRegister::Order::ByName); });
    });
    connect(bySurname, &QRadioButton::clicked, this, [this] {
        handle("Option2_Click", [this] { register_->load(AuthorsRegister::Order::BySurname); });
    });
    connect(find, &QToolButton::clicked, this, [this] {
        handle("SSCommand1_Click", [this] {
            const std::optional<bool> fromStart = askSearchText(services_, this);
            if (!fromStart)
                return;  // cancelled: nothing to find
            register_->find(*fromStart);
        });
    });
    connect(print, &QToolButton::clicked, this, [this] {
        printReport(Archives::authorsReportTemplate(), this, services_);
        buttons_->setFocus();
    });
    connect(ok_, &QAction::triggered, this,
            [this] { handle("ok01_Click", [this] { handOver(); }); });
    showState();
}

AuthorsWindow::~AuthorsWindow() = default;

void AuthorsWindow::handle(const char* handler, const std::function<void()>& body) {
    runGuarded(services_.messages, (QByteArray("Autori.") + handler).constData(), body);
    showState();
}

void AuthorsWindow::showState() {
    const bool adding = register_->adding();
    ok_->setEnabled(!adding);
    confirm_->setVisible(adding);
    cancel_->setVisible(adding);
    buttons_->setEnabled(!adding);
    // Reloading in another order would store the author being typed.
    byName_->setEnabled(!adding);
    bySurname_->setEnabled(!adding);
    position_->setText(QString::number(register_->position()));
    count_->setText(QString::number(register_->count()));
    if (adding)
        name_->setFocus();
    else
        buttons_->setFocus();
}

void AuthorsWindow::storePendingEdit() {
    register_->storeEdit();
}

void AuthorsWindow::handOver() {
    storePendingEdit();
    // The book card's author list shows the authors as now stored.
    cards_.reloadLookups();
    if (services_.messages.question(AuthorsRegister::handOverQuestion()))
        cards_.setCardField(QStringLiteral("AUTORE"), register_->currentFullName());
    accept();
}

void AuthorsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        handle("Form_Activate", [this] { register_->load(); });
}

void AuthorsWindow::done(int result) {
    if (!register_->mayClose()) {
        name_->setFocus();
        return;
    }
    // Whatever way the window closes, a field being typed is stored with its record.
    runGuarded(services_.messages, "Autori.Form_Unload", [this] { storePendingEdit(); });
    QDialog::done(result);
}
