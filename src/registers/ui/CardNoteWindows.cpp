#include "registers/ui/CardNoteWindows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTimer>

#include "cards/Archives.h"
#include "cards/CardContext.h"
#include "platform/core/AppInfo.h"
#include "platform/db/DataSource.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/ui/LookupCombo.h"
#include "platform/ui/TitleWidth.h"
#include "platform/ui/WheelGuard.h"
#include "registers/ui/KeywordListWindow.h"

namespace {

QAction* okItem(QDialog* dialog, QGridLayout* layout, const char* name) {
    auto* menu = new QMenuBar(dialog);
    QAction* ok = menu->addAction(QStringLiteral("&OK"));
    ok->setObjectName(QString::fromLatin1(name));
    layout->setMenuBar(menu);
    return ok;
}

QLabel* caption(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

QString KeywordPickerWindow::keywordField(int position) {
    return QStringLiteral("CHIAVE%1").arg(position);
}

KeywordPickerWindow::KeywordPickerWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("Chiavette"));
    setWindowTitle(QStringLiteral("Parole chiavi della cartella corrente..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    words_ = new DataSource(this);
    words_->setObjectName(QStringLiteral("Data2"));
    words_->setDatabaseName(AppInfo::catalogueFileName());
    words_->setRecordSource(Archives::keywordTable());
    runGuarded(services_.messages, "Chiavette.Form_Load", [this] { words_->refresh(); });

    auto* grid = new QGridLayout(this);
    QAction* ok = okItem(this, grid, "mennOK");
    const char* labels[] = {"Label5", "Label6", "Label7", "Label8", "Label10"};
    for (int i = 0; i < 5; ++i) {
        auto* combo = new LookupCombo(this);
        combo->setObjectName(QStringLiteral("DBCombo%1").arg(i + 1));
        combo->setToolTip(QStringLiteral("Doppio click (sul pulsantino) per inserimento..."));
        combo->setAccessibleName(QStringLiteral("Chiave %1").arg(i + 1));
        combo->setMinimumWidth(260);
        combo->setListSource(words_, Archives::keywordTable());
        ignoreWheelUnlessFocused(combo);  // a passing wheel would change a keyword
        QLabel* label = caption(QStringLiteral("Chiave %1").arg(i + 1), labels[i], this);
        label->setBuddy(combo);
        grid->addWidget(label, i, 0);
        grid->addWidget(combo, i, 1);
        connect(combo, &LookupCombo::buttonDoubleClicked, this, [this] { editKeywordList(); });
        combos_[std::size_t(i)] = combo;
    }
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    // The card's keywords are read once the window is up.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &KeywordPickerWindow::loadKeywords);
    timer_->start();
    connect(ok, &QAction::triggered, this, &KeywordPickerWindow::storeKeywords);
}

void KeywordPickerWindow::loadKeywords() {
    runGuarded(services_.messages, "Chiavette.Timer1_Timer", [this] {
        timer_->stop();
        for (int i = 0; i < 5; ++i)
            combos_[std::size_t(i)]->setEditText(cards_.cardField(keywordField(i + 1)));
    });
}

void KeywordPickerWindow::storeKeywords() {
    runGuarded(services_.messages, "Chiavette.mennOK_Click", [this] {
        // The keywords that had not been read yet are the card's own.
        if (timer_->isActive())
            loadKeywords();
        for (int i = 0; i < 5; ++i)
            cards_.setCardField(keywordField(i + 1), combos_[std::size_t(i)]->currentText());
        accept();
    });
}

void KeywordPickerWindow::editKeywordList() {
    runGuarded(services_.messages, "Chiavette.DBCombo_DblClick", [this] {
        KeywordListWindow editor(
            services_,
            [this] {
                words_->refresh();
                for (LookupCombo* combo : combos_)
                    combo->reloadList();
            },
            this);
        editor.exec();
    });
}

QuotationWindow::QuotationWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("Citazioni"));
    setWindowTitle(QStringLiteral("Citazioni..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout(this);
    QAction* ok = okItem(this, grid, "memOK");
    title_ = caption(QString(), "Label10", this);
    author_ = caption(QString(), "Label11", this);
    for (QLabel* shown : {title_, author_}) {
        shown->setFrameShape(QFrame::StyledPanel);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        shown->setWordWrap(true);
    }
    page_ = new QLineEdit(this);
    page_->setObjectName(QStringLiteral("Text3"));
    page_->setAccessibleName(QStringLiteral("Pagina"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("Text4"));
    text_->setAccessibleName(QStringLiteral("Citazione"));
    text_->setTabChangesFocus(true);
    text_->setMinimumSize(380, text_->fontMetrics().lineSpacing() * 6 + 12);

    grid->addWidget(caption(QStringLiteral("Titolo"), "Label5", this), 0, 0);
    grid->addWidget(title_, 0, 1);
    grid->addWidget(caption(QStringLiteral("Autore"), "Label6", this), 1, 0);
    grid->addWidget(author_, 1, 1);
    QLabel* pageLabel = caption(QStringLiteral("Pagina"), "Label7", this);
    pageLabel->setBuddy(page_);
    grid->addWidget(pageLabel, 2, 0);
    grid->addWidget(page_, 2, 1);
    QLabel* textLabel = caption(QStringLiteral("Citazione"), "Label8", this);
    textLabel->setBuddy(text_);
    grid->addWidget(textLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(text_, 3, 1);
    grid->setColumnStretch(1, 1);

    connect(ok, &QAction::triggered, this, [this] {
        runGuarded(services_.messages, "Citazioni.memOK_Click", [this] {
            cards_.setCardField(QStringLiteral("CITAZIONE_PAGINA"), page_->text());
            cards_.setCardField(QStringLiteral("CITAZIONE_CITAZIONE"), text_->toPlainText());
            accept();
        });
    });
}

void QuotationWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    runGuarded(services_.messages, "Citazioni.Form_Activate", [this] {
        title_->setText(cards_.cardField(QStringLiteral("TITOLO")));
        author_->setText(cards_.cardField(QStringLiteral("AUTORE")));
        page_->setText(cards_.cardField(QStringLiteral("CITAZIONE_PAGINA")));
        text_->setPlainText(cards_.cardField(QStringLiteral("CITAZIONE_CITAZIONE")));
    });
}
