#include "game/ui/Board.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "game/ui/CardPictures.h"
#include "platform/core/AppInfo.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/ui/TitleWidth.h"

using Kind = GameStep::Kind;
using Timer = MemoryGame::Timer;

// The window's own drawing surface in the original: the cells from (0, 0), and the mouse
// button released over it.
class BoardSurface : public QWidget {
public:
    explicit BoardSurface(Board& board) : QWidget(&board), board_(board) {
        setObjectName(QStringLiteral("surface"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        // A plain raster copy, as the original's BitBlt.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        board_.firstPaint();
        const MemoryGame& game = board_.game_;
        for (int cell = 1; cell <= game.cellCount(); ++cell) {
            const QRect r = board_.cellRect(cell);
            if (r.intersects(event->rect()))
                p.drawPixmap(r.topLeft(), board_.pictureOf(cell));
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        board_.pick(event->position().toPoint());
    }

private:
    Board& board_;
};

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QLabel* named(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

Board::Board(Services& services, QWidget* parent, GameChance chance, Timings timings)
    : QDialog(parent), services_(services), game_(std::move(chance)), timings_(timings) {
    setObjectName(QStringLiteral("Board"));
    setWindowTitle(AppInfo::title() + QStringLiteral(" - Relax..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());

    for (int i = 0; i < CardPictures::kFaces; ++i)
        pic_.push_back(CardPictures::face(i));
    back_ = CardPictures::back();
    blank_ = CardPictures::blank();
    game_.setCellSize(back_.width(), back_.height());
    tempPic_ = QPixmap(back_.size());

    surface_ = new BoardSurface(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();
    layout->addWidget(surface_, 0, Qt::AlignLeft | Qt::AlignTop);
    buildStatusStrip();
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    const std::array<std::pair<const char*, int>, MemoryGame::kTimerCount> timerSetup{
        {{"time_over", timings_.timeOverMs},
         {"next_turn", timings_.nextTurnMs},
         {"com_timer", timings_.comTimerMs}}};
    for (int i = 0; i < MemoryGame::kTimerCount; ++i) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(timerSetup[std::size_t(i)].first));
        t->setInterval(timerSetup[std::size_t(i)].second);
        t->setSingleShot(true);  // each timer stops itself when it fires
        connect(t, &QTimer::timeout, this, [this, i] { timerFired(Timer(i)); });
        timers_[std::size_t(i)] = t;
    }
    frameTimer_ = new QTimer(this);
    frameTimer_->setObjectName(QStringLiteral("animation"));
    connect(frameTimer_, &QTimer::timeout, this, &Board::nextFrame);

    layOutBoard();
    syncMenus();
}

Board::~Board() = default;

QAction* Board::item(QMenu* menu, const char* name, const QString& caption, bool checkable) {
    QAction* action = caption.isEmpty() ? menu->addSeparator() : menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}

void Board::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menubar"));
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);

    QMenu* gameMenu = bar->addMenu(QStringLiteral("&Partita"));
    gameMenu->setObjectName(QStringLiteral("game"));
    connect(item(gameMenu, "new", QStringLiteral("Nuova partita")), &QAction::triggered, this,
            &Board::startNewGame);
    showCards_ = item(gameMenu, "show_cards", QStringLiteral("Mostra carte"));
    connect(showCards_, &QAction::triggered, this, [this] {
        game_.showCards();
        apply();
    });
    item(gameMenu, "sep", {});
    connect(item(gameMenu, "quit", QStringLiteral("Uscita")), &QAction::triggered, this,
            &QDialog::reject);

    QMenu* sizeMenu = bar->addMenu(QStringLiteral("&Griglia"));
    sizeMenu->setObjectName(QStringLiteral("board_size"));
    six_ = item(sizeMenu, "six", QStringLiteral("6 per 6"), true);
    eight_ = item(sizeMenu, "eight", QStringLiteral("8 per 8"), true);
    ten_ = item(sizeMenu, "ten", QStringLiteral("10 per 10"), true);
    const std::pair<QAction*, int> sizes[] = {{six_, 6}, {eight_, 8}, {ten_, 10}};
    for (const auto& [action, n] : sizes) {
        const int size = n;
        connect(action, &QAction::triggered, this,
                [this, size] { afterMenuChoice(game_.chooseBoardSize(size)); });
    }

    QMenu* optionMenu = bar->addMenu(QStringLiteral("&Opzioni"));
    optionMenu->setObjectName(QStringLiteral("option"));
    pvc_ = item(optionMenu, "pvc", QStringLiteral("Player 1 contro il Computer"), true);
    pvp_ = item(optionMenu, "pvp", QStringLiteral("Player 1 contro Player 2"), true);
    using Mode = MemoryGame::Mode;
    const std::pair<QAction*, Mode> modes[] = {{pvc_, Mode::PlayerVsComputer},
                                               {pvp_, Mode::PlayerVsPlayer}};
    for (const auto& [action, m] : modes) {
        const Mode mode = m;
        connect(action, &QAction::triggered, this,
                [this, mode] { afterMenuChoice(game_.chooseMode(mode)); });
    }
    item(optionMenu, "sep2", {});
    high_ = item(optionMenu, "high", QStringLiteral("Memoria Computer: Scarsa"), true);
    med_ = item(optionMenu, "med", QStringLiteral("Memoria Computer: Discreta"), true);
    low_ = item(optionMenu, "low", QStringLiteral("Memoria Computer: Eccellente"), true);
    using Memory = ComputerPlayer::Memory;
    const std::pair<QAction*, Memory> memories[] = {
        {high_, Memory::Scarsa}, {med_, Memory::Discreta}, {low_, Memory::Eccellente}};
    for (const auto& [action, m] : memories) {
        const Memory memory = m;
        connect(action, &QAction::triggered, this,
                [this, memory] { afterMenuChoice(game_.chooseMemory(memory)); });
    }
    item(optionMenu, "sep1", {})->setVisible(false);
    aiOn_ = item(optionMenu, "ai_on", QStringLiteral("Choosing with AI and Memory"), true);
    aiOff_ = item(optionMenu, "ai_off", QStringLiteral("Choosing only with Memory"), true);
    aiOn_->setVisible(false);
    aiOff_->setVisible(false);
    connect(aiOn_, &QAction::triggered, this, [this] {
        game_.chooseLeastSeen(true);
        syncMenus();
    });
    connect(aiOff_, &QAction::triggered, this, [this] {
        game_.chooseLeastSeen(false);
        syncMenus();
    });
}

void Board::buildStatusStrip() {
    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("Picture1"));
    strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* grid = new QGridLayout(strip);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);
    for (int i = 0; i < 2; ++i) {
        names_[std::size_t(i)] =
            named(strip, QStringLiteral("player_name(%1)").arg(i), game_.playerName(i + 1));
        scores_[std::size_t(i)] =
            named(strip, QStringLiteral("score(%1)").arg(i), QStringLiteral("0"));
        grid->addWidget(names_[std::size_t(i)], i, 0);
        grid->addWidget(scores_[std::size_t(i)], i, 1);
    }
    grid->addWidget(named(strip, QStringLiteral("Label1"), QStringLiteral("Mosse :")), 0, 2,
                    Qt::AlignRight);
    round_ = named(strip, QStringLiteral("round"), QStringLiteral("1"));
    grid->addWidget(round_, 0, 3);
    status_ = named(strip, QStringLiteral("label"), game_.status());
    grid->addWidget(status_, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    layout()->addWidget(strip);
}

QRect Board::cellRect(int cell) const {
    const int n = game_.size();
    const int w = game_.cellWidth();
    const int h = game_.cellHeight();
    return {((cell - 1) % n) * w, ((cell - 1) / n) * h, w, h};
}

QPoint Board::cellCentre(int cell) const {
    return cellRect(cell).center();
}

const QPixmap& Board::pictureOf(int cell) const {
    if (animation_.active && animation_.cell == cell)
        return tempPic_;
    switch (shown_[std::size_t(cell)]) {
        case CardState::Up:
            return pic_[std::size_t(game_.face(cell))];
        case CardState::Removed:
            return blank_;
        case CardState::Down:
            break;
    }
    return back_;
}

// ---- Opening, new games, menus ---------------------------------------------------------

void Board::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    firstPaint();
}

void Board::firstPaint() {
    // The welcome comes with the first paint, once the window is on the screen; it is
    // asked from the event loop, not from inside the paint.
    if (!started_ && !welcomeAsked_) {
        welcomeAsked_ = true;
        QTimer::singleShot(0, this, &Board::welcome);
    }
}

void Board::welcome() {
    QApplication::beep();
    showMessage(text("Benvenuti!"), text("Clicca su OK per iniziare una nuova partita."));
    started_ = true;
    startNewGame();
}

void Board::startNewGame() {
    game_.newGame();
    afterMenuChoice(true);
}

void Board::afterMenuChoice(bool newGameStarted) {
    if (newGameStarted) {
        // What the old deal still had to show is dropped, and its timers with it.
        queue_.clear();
        animation_.active = false;
        frameTimer_->stop();
        for (QTimer* t : timers_)
            t->stop();
        layOutBoard();
        apply();
    }
    syncMenus();
}

void Board::syncMenus() {
    six_->setChecked(game_.size() == 6);
    eight_->setChecked(game_.size() == 8);
    ten_->setChecked(game_.size() == 10);
    pvc_->setChecked(game_.mode() == MemoryGame::Mode::PlayerVsComputer);
    pvp_->setChecked(game_.mode() == MemoryGame::Mode::PlayerVsPlayer);
    high_->setChecked(game_.memory() == ComputerPlayer::Memory::Scarsa);
    med_->setChecked(game_.memory() == ComputerPlayer::Memory::Discreta);
    low_->setChecked(game_.memory() == ComputerPlayer::Memory::Eccellente);
    aiOn_->setChecked(game_.leastSeen());
    aiOff_->setChecked(!game_.leastSeen());
    for (int i = 0; i < 2; ++i)
        names_[std::size_t(i)]->setText(game_.playerName(i + 1));
}

void Board::layOutBoard() {
    shown_.assign(std::size_t(game_.cellCount()) + 1, CardState::Down);
    for (int cell = 1; cell <= game_.cellCount(); ++cell)
        shown_[std::size_t(cell)] = game_.state(cell);
    surface_->setFixedSize(game_.size() * game_.cellWidth(), game_.size() * game_.cellHeight());
    layout()->activate();
    adjustSize();
    centre();
    surface_->update();
}

void Board::centre() {
    const QScreen* s = screen();
    if (!s)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}

void Board::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    centre();
}

// ---- Play -------------------------------------------------------------------------------

void Board::pick(const QPoint& at) {
    game_.pick(at.x(), at.y());
    apply();
}

void Board::timerFired(Timer timer) {
    game_.timerFired(timer);
    apply();
}

void Board::apply() {
    for (GameStep& step : game_.takeSteps())
        queue_.push_back(std::move(step));
    play();
}

void Board::play() {
    // A step may open a message box, whose event loop can bring more steps: they join the
    // queue, and this loop plays them in order.
    if (playing_)
        return;
    playing_ = true;
    while (!animation_.active && !queue_.empty()) {
        const GameStep step = queue_.front();
        queue_.pop_front();
        execute(step);
    }
    playing_ = false;
}

void Board::execute(const GameStep& step) {
    switch (step.kind) {
        case Kind::TurnUp:
        case Kind::TurnDown:
        case Kind::Remove:
        case Kind::Reveal:
            startAnimation(step.kind, step.value);
            break;
        case Kind::Beep:
            QApplication::beep();
            break;
        case Kind::Status:
            status_->setText(step.text);
            break;
        case Kind::Score:
            scores_[std::size_t(step.value - 1)]->setText(QString::number(step.amount));
            break;
        case Kind::Round:
            round_->setText(QString::number(step.amount));
            break;
        case Kind::ShowCardsEnabled:
            showCards_->setEnabled(step.value != 0);
            break;
        case Kind::StartTimer:
            timers_[std::size_t(step.value)]->start();
            break;
        case Kind::StopTimer:
            timers_[std::size_t(step.value)]->stop();
            break;
        case Kind::BusyPointer:
            setCursor(Qt::WaitCursor);
            break;
        case Kind::DefaultPointer:
            unsetCursor();
            break;
        case Kind::GameOver:
            showMessage(text("Game Over"), step.text);
            break;
    }
}

// ---- Animations ---------------------------------------------------------------------------

void Board::startAnimation(Kind kind, int cell) {
    const int width = game_.cellWidth();
    const bool fast = kind == Kind::Reveal;
    animation_ = {true, kind, cell, 0, fast ? 8 : width, fast ? std::max(1, width / 8) : 1};
    nextFrame();
    if (animation_.active)
        frameTimer_->start(fast ? 0 : timings_.frameMs);
}

void Board::nextFrame() {
    if (!animation_.active) {
        frameTimer_->stop();
        return;
    }
    ++animation_.frame;
    const bool last = animation_.frame >= animation_.frames;
    const int columns = last ? game_.cellWidth() : animation_.frame * animation_.columnsPerFrame;
    composeFrame(columns);
    surface_->update(cellRect(animation_.cell));
    if (!last)
        return;
    frameTimer_->stop();
    animation_.active = false;
    CardState& shown = shown_[std::size_t(animation_.cell)];
    switch (animation_.kind) {
        case Kind::TurnDown:
            shown = CardState::Down;
            break;
        case Kind::Remove:
            shown = CardState::Removed;
            break;
        default:
            shown = CardState::Up;
            break;
    }
    play();
}

// Frame i of the turning animation, composed in temp_pic.
void Board::composeFrame(int i) {
    const int w = tempPic_.width();
    const int h = tempPic_.height();
    const QPixmap& face = pic_[std::size_t(game_.face(animation_.cell))];
    QPainter p(&tempPic_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (animation_.kind == Kind::TurnUp || animation_.kind == Kind::Reveal) {
        // The face in place from the left; the back slides out to the right.
        p.drawPixmap(QRect(0, 0, i, h), face, QRect(0, 0, i, h));
        p.drawPixmap(QRect(i, 0, w - i, h), back_, QRect(0, 0, w - i, h));
    } else {
        // The back (or the blank) slides in from the left over the face in place.
        const QPixmap& cover = animation_.kind == Kind::Remove ? blank_ : back_;
        p.drawPixmap(QRect(0, 0, i, h), cover, QRect(w - i, 0, i, h));
        p.drawPixmap(QRect(i, 0, w - i, h), face, QRect(i, 0, w - i, h));
    }
}

void Board::showMessage(const QString& caption, const QString& text) {
    services_.messages.showCaptioned(caption, text, MessageService::Buttons::Ok,
                                     MessageService::Icon::None);
}
