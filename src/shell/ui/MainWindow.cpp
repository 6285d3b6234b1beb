#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "cards/ui/CardFrame.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/LookupCombo.h"
#include "platform/ui/WindowScaler.h"
#include "prefs/PasswordRules.h"
#include "search/ui/FindWindow.h"
#include "shell/ActorList.h"
#include "shell/ScreenScaling.h"
#include "shell/ui/CommandBar.h"

namespace {

// The window is designed for a 640x480 screen with this font, then stretched.
constexpr double designFontPoints = 7.0;

const char* const enterFiltered[] = {"Text1", "Text1BBB", "Text1C", "Text111", "Text211"};

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
    buildWindow();
    buildStatusBar();
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
        frames_[std::size_t(a.tab - 1)] = frame;
        stack_->addWidget(frame);
    }
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);

    // The card counter: "Cartella <position> di <count>", centred.
    auto* panel = new QFrame(central);
    panel->setObjectName(QStringLiteral("SSPanel111"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    auto* counter = new QHBoxLayout(panel);
    counter->setContentsMargins(12, 3, 12, 3);
    label7_ = new QLabel(QStringLiteral("1"), panel);
    label7_->setObjectName(QStringLiteral("Label7"));
    label5_ = new QLabel(QStringLiteral("1"), panel);
    label5_->setObjectName(QStringLiteral("Label5"));
    for (QLabel* l : {label7_, label5_}) {
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }
    counter->addWidget(new QLabel(QStringLiteral("Cartella "), panel));
    counter->addWidget(label7_);
    counter->addWidget(new QLabel(QStringLiteral("di "), panel));
    counter->addWidget(label5_);
    auto* counterRow = new QHBoxLayout;
    counterRow->addStretch(1);
    counterRow->addWidget(panel);
    counterRow->addStretch(1);
    layout->addLayout(counterRow);

    // Only takes the focus after a move, so that no card field keeps it; out of sight.
    text11_ = new QLineEdit(central);
    text11_->setObjectName(QStringLiteral("Text11"));
    text11_->setGeometry(-400, -400, 20, 20);
    text11_->setAccessibleName(QStringLiteral("Scheda"));
    label2_ = new QLabel(central);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->hide();
    setCentralWidget(central);

    // Pop-up choice lists, hidden until their label calls them.
    const QStringList entries[] = {
        Archives::mediumTypes(), Archives::ratings(), Archives::judgements(), {}};
    const char* owners[] = {"Text14", "Text138", "Text139", "Text15"};
    for (int i = 0; i < 4; ++i) {
        QWidget* field = frames_[i == 0 ? 2 : 3]->control(QString::fromUtf8(owners[i]));
        auto* list = new QComboBox(field ? field->parentWidget() : central);
        list->setObjectName(QStringLiteral("Combo%1").arg(i + 1));
        list->addItems(entries[i]);
        list->hide();
        popupLists_ << list;
    }

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        guarded("MdiForm1.TabStrip1_Click", [this, index] { selectTab(index); });
    });
    wireInputAids();
    for (const char* name : enterFiltered)
        for (CardFrame* fr : frames_)
            if (QWidget* w = fr->control(QString::fromUtf8(name)))
                w->installEventFilter(this);
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    auto* text = new QLabel(bar);
    text->setObjectName(QStringLiteral("Panel1"));
    dateLabel_ = new QLabel(bar);
    dateLabel_->setObjectName(QStringLiteral("Panel2"));
    dateLabel_->setToolTip(QStringLiteral("Doppio click per calendario..."));
    timeLabel_ = new QLabel(bar);
    timeLabel_->setObjectName(QStringLiteral("Panel3"));
    bar->addWidget(text, 1);
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

void MainWindow::openDataSources() {
    const QString db = AppInfo::catalogueFileName();
    for (const LookupDef& l : Archives::lookups()) {
        DataSource* ds = findChild<DataSource*>(l.dataSource, Qt::FindDirectChildrenOnly);
        if (ds)
            ds->setRecordSource(l.table);
    }
    for (DataSource* ds : sources_) {
        ds->setDatabaseName(db);
        ds->setVisible(false);
        guarded("MdiForm1.Form_Load", [ds] { ds->refresh(); });
    }
    dataSource(1)->setVisible(true);
    for (CardFrame* fr : frames_)
        for (LookupCombo* combo : fr->lookupCombos()) {
            const LookupDef* l = nullptr;
            for (const LookupDef& def : Archives::lookups())
                if (def.combo == combo->objectName())
                    l = &def;
            if (l)
                combo->setListSource(findChild<DataSource*>(l->dataSource), l->wordField);
        }
}

void MainWindow::refreshLookups() {
    for (int i = 5; i <= 19; ++i) {
        DataSource* ds = dataSource(i);
        guarded("MdiForm1.Refresh", [ds] { ds->refresh(); });
    }
    for (CardFrame* fr : frames_)
        for (LookupCombo* combo : fr->lookupCombos())
            combo->reloadList();
}

DataSource* MainWindow::dataSource(int number) const {
    return number >= 1 && number <= 19 ? sources_[std::size_t(number - 1)] : nullptr;
}

DataSource& MainWindow::currentSource() const {
    for (int i = 1; i <= 4; ++i)
        if (dataSource(i)->isVisible())
            return *dataSource(i);
    return *dataSource(1);
}

int MainWindow::currentTab() const {
    for (int i = 1; i <= 4; ++i)
        if (dataSource(i)->isVisible())
            return i;
    return 1;
}

CardFrame* MainWindow::frame(int tab) const {
    return tab >= 1 && tab <= 4 ? frames_[std::size_t(tab - 1)] : nullptr;
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

void MainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
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
    commandBar_->setCardCommandsEnabled(true);
    tabs_->setEnabled(true);
    setWindowTitle(AppInfo::title().toUpper());
    lastCard();
    firstCard();
    fillActorList();
}

void MainWindow::fillActorList() {
    QComboBox* actors = popupLists_.value(3);
    if (actors)
        actors->addItems(ActorList::readFile(ProgramFolder::file(QStringLiteral("attori.dat"))));
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
        lastCard();
        firstCard();
    } else {
        // Without the question the program ends at once; a card being typed is still
        // stored rather than thrown away.
        guarded("MdiForm1.Form_QueryUnload", [this] {
            DataSource& ds = currentSource();
            if (ds.isOpen() && ds.recordset().editMode() != RecordSet::EditMode::None)
                ds.recordset().update();
        });
    }
    ending_ = true;
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease && popupLabels_.contains(watched)) {
        showPopupList(popupLabels_.value(watched));
        return true;
    }
    if (e->type() == QEvent::FocusOut) {
        const int number = int(popupLists_.indexOf(qobject_cast<QComboBox*>(watched))) + 1;
        // Leaving a choice list takes its text too, but not while its own popup has the focus.
        if (number >= 1 && number <= 3 && popupLists_[number - 1]->isVisible() &&
            static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason)
            takePopupChoice(number);
        return false;
    }
    if (e->type() == QEvent::KeyPress && !popupLists_.contains(qobject_cast<QComboBox*>(watched))) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        // Enter is swallowed in the title and code fields.
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::openFindWindow() {
    if (!findWindow_)
        findWindow_ = new FindWindow(*this, services_);
    findWindow_->show();
    findWindow_->raise();
    findWindow_->activateWindow();
}

void MainWindow::guarded(const char* source, const std::function<void()>& body) {
    runGuarded(services_.messages, source, body);
}

void MainWindow::dispatch(const QString& id) {
    guarded("MdiForm1.SSActiveToolBars1_ToolClick", [this, &id] {
        if (id == QLatin1String("ID_Conferma"))
            confirmCard();
        else if (id == QLatin1String("ID_First"))
            firstCard();
        else if (id == QLatin1String("ID_Previous"))
            previousCard();
        else if (id == QLatin1String("ID_Next"))
            nextCard();
        else if (id == QLatin1String("ID_Last"))
            lastCard();
        else if (id == QLatin1String("ID_Aggiungi"))
            addCard();
        else if (id == QLatin1String("ID_Elimina"))
            deleteCard();
        else if (id == QLatin1String("ID_Uscita"))
            close();
        else if (id == QLatin1String("ID_RicercaSemplice"))
            openFindWindow();
        else if (id == QLatin1String("ID_InfoVersione") && hooks_.about)
            hooks_.about(this);
        else if (hooks_.command)
            hooks_.command(id, this);
    });
}
