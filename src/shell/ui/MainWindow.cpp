#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "cards/CardBrowser.h"
#include "cards/Catalogue.h"
#include "cards/ui/CardFrame.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/DataSource.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Binder.h"
#include "platform/ui/LookupCombo.h"
#include "platform/ui/WheelGuard.h"
#include "platform/ui/WindowScaler.h"
#include "prefs/PasswordRules.h"
#include "shell/ReadOnlyCommands.h"
#include "shell/ScreenScaling.h"
#include "shell/ui/CommandBar.h"

namespace {

// The window is designed for a 640x480 screen with this font, then stretched.
constexpr double designFontPoints = 7.0;

}  // namespace

MainWindow::MainWindow(Services& services, QString commandLine, StartupHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      commandLine_(std::move(commandLine)),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("MdiForm1"));
    setWindowTitle(AppInfo::title());
    QFont f = font();
    f.setPointSizeF(designFontPoints);
    setFont(f);
    browser_ = new CardBrowser(services_.messages, services_.settings, this);
    buildWindow();
    buildStatusBar();
    buildCommands();
    wireBrowser();
    openDataSources();
    resize(ScreenScaling::designWidth, ScreenScaling::designHeight);
    formLoad();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    commandBar_ = new CommandBar(this);
    connect(commandBar_, &CommandBar::toolClicked, this, &MainWindow::dispatch);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);

    tabs_ = new QTabBar(central);
    tabs_->setObjectName(QStringLiteral("TabStrip1"));
    tabs_->setExpanding(true);
    tabs_->setDrawBase(true);
    ignoreWheel(tabs_);
    stack_ = new QStackedWidget(central);
    stack_->setObjectName(QStringLiteral("Cards"));
    for (int i = 0; i < 19; ++i) {
        sources_[std::size_t(i)] = new DataSource(this);
        sources_[std::size_t(i)]->setObjectName(QStringLiteral("Data%1").arg(i + 1));
    }
    for (const ArchiveDef& a : Archives::all()) {
        tabs_->addTab(a.caption);
        DataSource* ds = dataSource(a.tab);
        ds->setRecordSource(a.table);
        auto* frame = new CardFrame(a, *ds, stack_);
        frames_[std::size_t(archiveIndex(a.id))] = frame;
        stack_->addWidget(frame);
        connect(&frame->binder(), &Binder::editFailed, this,
                [this](const AppError& e) { services_.messages.error(e); });
        connect(&frame->binder(), &Binder::readFailed, this, &MainWindow::cardUnreadable);
        for (const FieldDef& f : a.fields)
            if (f.enterIgnored)
                if (QWidget* w = frame->control(f.control))
                    w->installEventFilter(this);
    }
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);
    buildCounter(central, layout);

    // Takes the focus after a move, so that no card field keeps it; out of sight, and
    // never reached by Tab, so nothing can be typed into it unseen.
    focusSink_ = new QLineEdit(central);
    focusSink_->setObjectName(QStringLiteral("Text11"));
    focusSink_->setGeometry(-400, -400, 20, 20);
    focusSink_->setAccessibleName(QStringLiteral("Scheda"));
    focusSink_->setFocusPolicy(Qt::NoFocus);
    focusSink_->setReadOnly(true);
    handOverLabel_ = new QLabel(central);
    handOverLabel_->setObjectName(QStringLiteral("Label2"));
    handOverLabel_->hide();
    setCentralWidget(central);

    buildChoiceLists();
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        guarded("MdiForm1.TabStrip1_Click", [this, index] { selectTab(index); });
        // A tab change that failed leaves the archive shown current: the strip follows.
        if (tabs_->currentIndex() != archiveIndex(browser_->archive())) {
            const QSignalBlocker block(tabs_);
            tabs_->setCurrentIndex(archiveIndex(browser_->archive()));
        }
    });
    wireInputAids();
    // The game sits on no bar and in no menu: this is its way in.
    auto* game = new QShortcut(QKeySequence(QStringLiteral("Ctrl+G")), this);
    connect(game, &QShortcut::activated, this, [this] { dispatch(QStringLiteral("ID_Gioca")); });
}

void MainWindow::buildCounter(QWidget* central, QVBoxLayout* layout) {
    // The card counter: "Cartella <position> di <count>", centred.
    auto* panel = new QFrame(central);
    panel->setObjectName(QStringLiteral("SSPanel111"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    auto* counter = new QHBoxLayout(panel);
    counter->setContentsMargins(12, 3, 12, 3);
    positionLabel_ = new QLabel(QStringLiteral("1"), panel);
    positionLabel_->setObjectName(QStringLiteral("Label7"));
    countLabel_ = new QLabel(QStringLiteral("1"), panel);
    countLabel_->setObjectName(QStringLiteral("Label5"));
    for (QLabel* l : {positionLabel_, countLabel_}) {
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }
    counter->addWidget(new QLabel(QStringLiteral("Cartella "), panel));
    counter->addWidget(positionLabel_);
    counter->addWidget(new QLabel(QStringLiteral("di "), panel));
    counter->addWidget(countLabel_);
    auto* counterRow = new QHBoxLayout;
    counterRow->addStretch(1);
    counterRow->addWidget(panel);
    counterRow->addStretch(1);
    layout->addLayout(counterRow);
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusText_ = new QLabel(bar);
    statusText_->setObjectName(QStringLiteral("Panel1"));
    dateLabel_ = new QLabel(bar);
    dateLabel_->setObjectName(QStringLiteral("Panel2"));
    dateLabel_->setToolTip(QStringLiteral("Doppio click per calendario..."));
    timeLabel_ = new QLabel(bar);
    timeLabel_->setObjectName(QStringLiteral("Panel3"));
    bar->addWidget(statusText_, 1);
    bar->addPermanentWidget(dateLabel_);
    bar->addPermanentWidget(timeLabel_);
    setStatusBar(bar);
    clock_ = new QTimer(this);
    auto tick = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        dateLabel_->setText(now.date().toString(QStringLiteral("dd/MM/yyyy")));
        timeLabel_->setText(now.time().toString(QStringLiteral("HH:mm")));
    };
    connect(clock_, &QTimer::timeout, this, tick);
    tick();
    clock_->start(1000);
}

void MainWindow::buildCommands() {
    CardBrowser& b = *browser_;
    commands_ = {
        {QStringLiteral("ID_Conferma"), [&b] { b.confirm(); }},
        {QStringLiteral("ID_First"), [&b] { b.first(); }},
        {QStringLiteral("ID_Previous"), [&b] { b.previous(); }},
        {QStringLiteral("ID_Next"), [&b] { b.next(); }},
        {QStringLiteral("ID_Last"), [&b] { b.last(); }},
        {QStringLiteral("ID_Elimina"), [&b] { b.remove(); }},
        {QStringLiteral("ID_Aggiungi"),
         [this] {
             browser_->add();
             // The new card starts at its first field.
             if (browser_->addPending())
                 if (QWidget* first = frame(browser_->archive())
                                          ->control(browser_->archiveDef().fields.front().control))
                     first->setFocus(Qt::OtherFocusReason);
         }},
        {QStringLiteral("ID_Uscita"), [this] { close(); }},
        {QStringLiteral("ID_RicercaSemplice"), [this] { openFindWindow(); }},
        {QStringLiteral("ID_InfoVersione"),
         [this] {
             if (hooks_.about)
                 hooks_.about(this);
         }},
    };
}

void MainWindow::dispatch(const QString& id) {
    guarded("MdiForm1.SSActiveToolBars1_ToolClick", [this, &id] {
        if (const QString action = ReadOnlyCommands::refusedAction(id);
            !action.isEmpty() && browser_->refuseChange(action))
            return;
        const auto it = commands_.constFind(id);
        if (it != commands_.cend())
            it.value()();
        else if (hooks_.command)
            hooks_.command(id, *this, this);
    });
}

void MainWindow::wireBrowser() {
    browser_->setSources({sources_[0], sources_[1], sources_[2], sources_[3]});
    connect(browser_, &CardBrowser::positionChanged, positionLabel_,
            [this](int p) { positionLabel_->setText(QString::number(p)); });
    connect(browser_, &CardBrowser::countChanged, countLabel_,
            [this](int c) { countLabel_->setText(QString::number(c)); });
    connect(browser_, &CardBrowser::archiveChanged, this, [this](Archive a) {
        hideChoiceLists();
        stack_->setCurrentIndex(archiveIndex(a));
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(archiveIndex(a));
    });
    connect(browser_, &CardBrowser::addPendingChanged, this, [this](bool pending) {
        commandBar_->setCardCommandsEnabled(!pending);
        tabs_->setEnabled(!pending);
        commandBar_->setVisible(QStringLiteral("ID_Conferma"), pending);
    });
    connect(browser_, &CardBrowser::readOnlyChanged, this, [this](bool readOnly) {
        for (CardFrame* fr : frames_)
            fr->binder().setReadOnly(readOnly);
        updateStatusText();
    });
    // After the binder of the card has filled it, which was connected first.
    for (Archive a : allArchives)
        connect(&browser_->source(a), &DataSource::currentChanged, this,
                &MainWindow::updateStatusText);
    connect(browser_, &CardBrowser::archiveChanged, this, &MainWindow::updateStatusText);
    connect(browser_, &CardBrowser::focusHolderWanted, this, [this] {
        hideChoiceLists();
        focusSink_->setFocus(Qt::OtherFocusReason);
    });
}

// Says why a card shows closed, empty fields, or why none takes typing.
void MainWindow::updateStatusText() {
    QString text;
    if (frame(browser_->archive())->binder().recordUnreadable())
        text = QStringLiteral("Cartella non leggibile: nessuna modifica possibile");
    else if (browser_->isReadOnly())
        text = QStringLiteral("Catalogo in sola lettura");
    statusText_->setText(text);
}

void MainWindow::openDataSources() {
    const QString db = AppInfo::catalogueFileName();
    for (const LookupDef& l : Archives::lookups())
        if (DataSource* ds = findChild<DataSource*>(l.dataSource, Qt::FindDirectChildrenOnly))
            ds->setRecordSource(l.table);
    for (DataSource* ds : sources_)
        ds->setDatabaseName(db);
    // The lookup lists are small; of the archives only the one shown is read now.
    for (int i = 5; i <= 19; ++i) {
        DataSource* ds = dataSource(i);
        loadGuarded("MdiForm1.Form_Load", [ds] { ds->refresh(); });
    }
    loadGuarded("MdiForm1.Form_Load", [this] {
        browser_->openCurrent();
        browser_->checkReadOnly();
    });
    for (CardFrame* fr : frames_)
        for (LookupCombo* combo : fr->lookupCombos())
            if (const LookupDef* l = Archives::lookupByCombo(combo->objectName()))
                combo->setListSource(findChild<DataSource*>(l->dataSource), l->wordField);
}

void MainWindow::reloadLookups() {
    for (int i = 5; i <= 19; ++i) {
        DataSource* ds = dataSource(i);
        guarded("MdiForm1.Refresh", [ds] { ds->refresh(); });
    }
    for (CardFrame* fr : frames_)
        for (LookupCombo* combo : fr->lookupCombos())
            combo->reloadList();
}

void MainWindow::closeDataSources() {
    hideChoiceLists();
    // A list editor kept open beside the card holds a data source of its own: it closes
    // (storing a word being typed), so no connection is left on a file about to be
    // replaced.
    if (lookupEditor_) {
        lookupEditor_->close();
        delete lookupEditor_.data();  // now: its connection must be gone before we return
    }
    for (DataSource* ds : sources_) {
        // A card being typed is stored before its file is let go.
        browser_->storeEdit(*ds);
        ds->closeDatabase();
        ds->notifyCurrentChanged();
    }
}

void MainWindow::reopenDataSources() {
    reloadLookups();
    browser_->openCurrent();
    browser_->checkReadOnly();
    browser_->last();
    browser_->first();
}

DataSource* MainWindow::dataSource(int number) const {
    return number >= 1 && number <= 19 ? sources_[std::size_t(number - 1)] : nullptr;
}

CardFrame* MainWindow::frame(Archive archive) const {
    return frames_[std::size_t(archiveIndex(archive))];
}

QString MainWindow::cardField(const QString& field) const {
    const CardFrame* fr = frame(browser_->archive());
    for (const FieldDef& f : fr->archive().fields)
        if (f.field.compare(field, Qt::CaseInsensitive) == 0)
            return Binder::textOf(fr->control(f.control));
    return {};
}

void MainWindow::setCardField(const QString& field, const QString& text) {
    CardFrame* fr = frame(browser_->archive());
    for (const FieldDef& f : fr->archive().fields)
        if (f.field.compare(field, Qt::CaseInsensitive) == 0) {
            fr->binder().setText(fr->control(f.control), text);
            return;
        }
    throw AppError(ErrorCode::ItemNotFound, QStringLiteral("MdiForm1"),
                   QStringLiteral("Il campo %1 non è nella scheda").arg(field));
}

void MainWindow::formLoad() {
    QDir::setCurrent(ProgramFolder::path());
    activated_ = false;
    const QSize screen = hooks_.screenSize ? hooks_.screenSize()
                         : QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->size()
                             : QSize(ScreenScaling::designWidth, ScreenScaling::designHeight);
    const int twipsPerPixel = 15;
    const auto decision = ScreenScaling::decide(
        services_.settings.read(QStringLiteral("SetRisoluzione")), screen.width() * twipsPerPixel);
    bool scale = decision == ScreenScaling::Decision::ScaleSilently;
    if (decision == ScreenScaling::Decision::Ask)
        scale =
            services_.messages.show(ScreenScaling::question(), MessageService::Buttons::YesNo,
                                    MessageService::Icon::Critical) != MessageService::Answer::No;
    if (scale) {
        const auto f = ScreenScaling::factors(screen.width(), screen.height());
        scaleWindow(this, f.fx, f.fy);
    }
}

// The size chosen is the client area's; the title bar and borders a window manager adds
// must fit on the screen too, or the counter and the status bar fall off its bottom.
void MainWindow::fitFrameToScreen() {
    const QScreen* s = screen();
    if (!s || isMaximized() || isFullScreen())
        return;
    const QRect available = s->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - size();
    const QSize client = size().boundedTo(available.size() - frameExtra);
    if (client != size())
        resize(client);
    if (!available.contains(frameGeometry()))
        move(available.topLeft());
}

void MainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Once now, and again when the window manager has framed the window.
    fitFrameToScreen();
    QTimer::singleShot(200, this, &MainWindow::fitFrameToScreen);
    if (!activated_)
        QTimer::singleShot(0, this, [this] {
            if (!activated_)
                firstActivation();
        });
}

void MainWindow::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !activated_)
        firstActivation();
}

void MainWindow::firstActivation() {
    activated_ = true;
    commandBar_->setCardCommandsEnabled(false);
    tabs_->setEnabled(false);
    PasswordRules::applyResetSwitch(services_.settings, commandLine_);
    if (PasswordRules::promptNeeded(services_.settings) && hooks_.password) {
        if (!hooks_.password(this)) {
            ending_ = true;
            emit endRequested(1);
            return;
        }
    }
    if (services_.settings.flag(QStringLiteral("About")) && hooks_.about)
        hooks_.about(this);
    if (damage_ && !recoverDamagedCatalogue()) {
        ending_ = true;
        emit endRequested(2);
        return;
    }
    commandBar_->setCardCommandsEnabled(true);
    tabs_->setEnabled(true);
    setWindowTitle(AppInfo::title().toUpper());
    guarded("MdiForm1.Ultimo", [this] { browser_->last(); });
    guarded("MdiForm1.Primo", [this] { browser_->first(); });
    fillActorList();
    // Once, over the first card, before anything could be typed in vain.
    if (browser_->isReadOnly())
        services_.messages.information(
            Catalogue::readOnlyNotice(browser_->currentSource().databaseName()));
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (ending_ || queryUnload()) {
        e->accept();
        // Windows kept beside the main one (find, help, a list editor) end with it.
        emit endRequested(0);
    } else {
        e->ignore();
    }
}

bool MainWindow::queryUnload() {
    if (services_.settings.flag(QStringLiteral("Uscita"))) {
        if (!services_.messages.question(QStringLiteral("Si desidera uscire dal programma ") +
                                         AppInfo::title() + QStringLiteral(" ?")))
            return false;
        guarded("MdiForm1.Ultimo", [this] { browser_->last(); });
        guarded("MdiForm1.Primo", [this] { browser_->first(); });
    } else {
        // Without the question the program ends at once; a card being typed is still
        // stored rather than thrown away.
        guarded("MdiForm1.Form_QueryUnload",
                [this] { browser_->storeEdit(browser_->currentSource()); });
    }
    ending_ = true;
    return true;
}

void MainWindow::selectTab(int index) {
    if (index >= 0 && index < int(allArchives.size()))
        browser_->selectArchive(allArchives[std::size_t(index)]);
}

void MainWindow::guarded(const char* source, const std::function<void()>& body) {
    runGuarded(services_.messages, source, body);
}
