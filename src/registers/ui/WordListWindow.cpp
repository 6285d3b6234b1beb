#include "registers/ui/WordListWindow.h"

#include "registers/ui/CounterLabels.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QToolButton>

#include "platform/core/AppInfo.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/ui/Binder.h"
#include "platform/ui/TitleWidth.h"
#include "search/ui/SearchPrompt.h"

namespace {

constexpr int kIcon = 20;

QPixmap canvas(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap magnifier() {
    QPixmap pm = canvas(kIcon);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(18, 18));
    p.setPen(QPen(QColor(60, 60, 70), 2));
    p.setBrush(QColor(190, 220, 245));
    p.drawEllipse(QRectF(2, 2, 11, 11));
    return pm;
}

QPixmap printer() {
    QPixmap pm = canvas(kIcon);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 1.5, 9, 6));
    p.setBrush(QColor(170, 170, 175));
    p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 12.5, 9, 6));
    return pm;
}

// A small card index: the picture that holds the focus between actions.
QPixmap cards() {
    QPixmap pm = canvas(32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(120, 95, 50), 1.2));
        p.setBrush(i == 2 ? QColor(255, 250, 225) : QColor(235, 225, 190));
        p.drawRoundedRect(QRectF(3 + i * 3, 4 + i * 5, 24, 14), 2, 2);
    }
    p.setPen(QPen(QColor(150, 130, 90), 1));
    p.drawLine(QPointF(12, 20), QPointF(27, 20));
    p.drawLine(QPointF(12, 24), QPointF(24, 24));
    return pm;
}

QToolButton* stepButton(const char* caption, const char* name, const QString& tip,
                        QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(QString::fromUtf8(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">|")) + 22);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    return b;
}

QToolButton* pictureButton(const QPixmap& picture, const char* name, const QString& tip,
                           QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(picture);
    b->setIconSize(picture.size());
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(false);
    return b;
}

}  // namespace

WordListWindow::WordListWindow(Services& services, const QString& caption, const QString& firstTip,
                               QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    data_ = new DataSource(this);
    data_->setObjectName(QStringLiteral("Data1"));
    data_->setDatabaseName(AppInfo::catalogueFileName());
    editor_ = std::make_unique<LookupListEditor>(*data_, services_);

    auto* menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("MenuBar"));
    QAction* ok = menu->addAction(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("memOK"));

    focusHolder_ = new QLabel(this);
    focusHolder_->setObjectName(QStringLiteral("Picture1"));
    focusHolder_->setPixmap(cards());
    focusHolder_->setFocusPolicy(Qt::ClickFocus);
    focusHolder_->setAccessibleName(QStringLiteral("Lista"));

    auto* wordLabel = new QLabel(QStringLiteral("Parola"), this);
    wordLabel->setObjectName(QStringLiteral("Label5"));
    word_ = new QLineEdit(this);
    word_->setObjectName(QStringLiteral("Text1"));
    word_->setAccessibleName(QStringLiteral("Parola"));
    word_->setMinimumWidth(300);
    wordLabel->setBuddy(word_);

    QToolButton* firstButton = stepButton("|<", "Command3", firstTip, this);
    QToolButton* previousButton =
        stepButton("<", "Command4", QStringLiteral("Cartella precedente"), this);
    QToolButton* nextButton =
        stepButton(">", "Command5", QStringLiteral("Cartella successiva"), this);
    QToolButton* lastButton = stepButton(">|", "Command6", QStringLiteral("Ultima cartella"), this);
    QToolButton* addButton =
        stepButton("+", "Command1", QStringLiteral("Inserisci cartella"), this);
    QToolButton* deleteButton =
        stepButton("X", "Command2", QStringLiteral("Elimina cartella"), this);
    QToolButton* findButton =
        pictureButton(magnifier(), "SSCommand1", QStringLiteral("Ricerca..."), this);
    // Printing a word list is not offered; the button is part of the design only.
    QToolButton* printButton =
        pictureButton(printer(), "Command7", QStringLiteral("Stampa..."), this);

    auto* counter = new QHBoxLayout;
    counter->setSpacing(4);
    const CounterLabels labels = addCounterLabels(counter, this);
    position_ = labels.position;
    count_ = labels.count;

    auto* controls = new QHBoxLayout;
    controls->setSpacing(3);
    for (QWidget* w : {static_cast<QWidget*>(firstButton), static_cast<QWidget*>(previousButton),
                       static_cast<QWidget*>(nextButton), static_cast<QWidget*>(lastButton)})
        controls->addWidget(w);
    controls->addSpacing(12);
    controls->addLayout(counter);
    controls->addStretch(1);
    controls->addWidget(addButton);
    controls->addWidget(deleteButton);
    controls->addSpacing(12);
    controls->addWidget(findButton);
    controls->addWidget(printButton);

    auto* grid = new QGridLayout(this);
    grid->setMenuBar(menu);
    grid->addWidget(focusHolder_, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(wordLabel, 0, 1);
    grid->addWidget(word_, 0, 2);
    grid->addLayout(controls, 1, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    QWidget* order[] = {word_,     firstButton,  previousButton, nextButton, lastButton,
                        addButton, deleteButton, findButton,     printButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(firstButton, &QToolButton::clicked, this,
            [this] { handle("Command3_Click", [this] { editor_->first(); }); });
    connect(previousButton, &QToolButton::clicked, this,
            [this] { handle("Command4_Click", [this] { editor_->previous(); }); });
    connect(nextButton, &QToolButton::clicked, this,
            [this] { handle("Command5_Click", [this] { editor_->next(); }); });
    connect(lastButton, &QToolButton::clicked, this,
            [this] { handle("Command6_Click", [this] { editor_->last(); }); });
    connect(addButton, &QToolButton::clicked, this,
            [this] { handle("Command1_Click", [this] { editor_->add(); }); });
    connect(deleteButton, &QToolButton::clicked, this,
            [this] { handle("Command2_Click", [this] { editor_->remove(); }); });
    connect(findButton, &QToolButton::clicked, this, [this] {
        handle("SSCommand1_Click", [this] {
            const std::optional<bool> fromStart = askSearchText(services_, this);
            if (!fromStart)
                return;  // cancelled: nothing to find
            editor_->find(*fromStart);
        });
    });
    connect(printButton, &QToolButton::clicked, this, [this] { focusHolder(); });
    connect(ok, &QAction::triggered, this, [this] {
        handle("memOK_Click", [this] {
            storePendingEdit();
            refreshCaller();
            accept();
        });
    });
}

WordListWindow::~WordListWindow() = default;

void WordListWindow::handle(const char* handler, const std::function<void()>& body) {
    const QByteArray source = objectName().toLatin1() + '.' + handler;
    ++busy_;
    runGuarded(services_.messages, source.constData(), body);
    --busy_;
    // The counter follows the editor also when a handler ended half-way.
    showCounter();
    focusHolder();
}

void WordListWindow::bindWord() {
    if (binder_ && boundField_ == editor_->wordField())
        return;
    delete binder_;
    binder_ = new Binder(*data_, this);
    boundField_ = editor_->wordField();
    binder_->bind(word_, boundField_);
    binder_->fill();
}

void WordListWindow::showCounter() {
    position_->setText(QString::number(editor_->position()));
    count_->setText(QString::number(editor_->count()));
}

void WordListWindow::focusHolder() {
    focusHolder_->setFocus(Qt::OtherFocusReason);
}

void WordListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    reactivate_ = false;
    activated();
}

void WordListWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        // A prompt of a running handler takes the activation and gives it back: that
        // return is no new activation.
        reactivate_ = busy_ == 0;
    } else if (reactivate_) {
        reactivate_ = false;
        activated();
    }
}

void WordListWindow::storePendingEdit() {
    if (data_->isOpen() && data_->recordset().editMode() != RecordSet::EditMode::None)
        data_->recordset().update();
}

void WordListWindow::done(int result) {
    // Whatever way the window closes, a word being typed is stored with its record.
    runGuarded(services_.messages, (objectName().toLatin1() + ".Form_Unload").constData(),
               [this] { storePendingEdit(); });
    QDialog::done(result);
}
