#include "registers/ui/KeywordListWindow.h"

#include <QTimer>

#include "platform/db/DataSource.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"

KeywordListWindow::KeywordListWindow(Services& services, std::function<void()> onOk,
                                     QWidget* parent)
    : WordListWindow(services, QStringLiteral("Aggiornamento lista chiavi..."),
                     QStringLiteral("Primo cartella"), parent),
      onOk_(std::move(onOk)) {
    setObjectName(QStringLiteral("Keylist"));
    editor().setList(LookupListEditor::keywordList());
    bindWord();
    runGuarded(services_.messages, "Keylist.Form_Load", [this] { dataSource().refresh(); });
    // The set-up waits until the window is on screen.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &KeywordListWindow::setUp);
    timer_->start();
}

void KeywordListWindow::setUp() {
    handle("Timer1_Timer", [this] {
        timer_->stop();
        editor().setUp();
    });
}

void KeywordListWindow::refreshCaller() {
    if (onOk_)
        onOk_();
}
