#include "platform/ui/HelpViewer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"

// Serves "topic:<id>" addresses from the help file, so that links and the history
// of QTextBrowser work on topics.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const HelpFile& file, QWidget* parent) : QTextBrowser(parent), file_(file) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == HelpFile::linkScheme() && type != QTextDocument::ImageResource &&
            type != QTextDocument::StyleSheetResource) {
            if (const HelpTopic* topic = file_.find(name.path()))
                return file_.html(*topic);
            return QStringLiteral(
                       "<h2>Argomento non trovato</h2><p>L'argomento \"%1\" non "
                       "esiste nel file della guida.</p>")
                .arg(name.path().toHtmlEscaped());
        }
        return QTextBrowser::loadResource(type, name);
    }

private:
    const HelpFile& file_;
};

namespace {

enum { TopicsTab, IndexTab };
constexpr int kTopicRole = Qt::UserRole;

QUrl topicUrl(const QString& id) {
    return QUrl(HelpFile::linkScheme() + QLatin1Char(':') + id);
}

QPushButton* toolButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QListWidgetItem* topicItem(const HelpTopic& topic) {
    auto* item = new QListWidgetItem(topic.title);
    item->setData(kTopicRole, topic.id);
    return item;
}

}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Guida di ") + AppInfo::title());
    setAttribute(Qt::WA_DeleteOnClose);

    QPushButton* contentsButton = toolButton(this, "contentsButton", QStringLiteral("&Sommario"));
    QPushButton* indexButton = toolButton(this, "indexButton", QStringLiteral("&Indice"));
    backButton_ = toolButton(this, "backButton", QStringLiteral("Indi&etro"));
    forwardButton_ = toolButton(this, "forwardButton", QStringLiteral("A&vanti"));
    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {contentsButton, indexButton, backButton_, forwardButton_})
        buttons->addWidget(b);
    buttons->addStretch();

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("helpTabs"));

    topicList_ = new QListWidget;
    topicList_->setObjectName(QStringLiteral("topicList"));
    topicList_->setAccessibleName(QStringLiteral("Argomenti"));
    tabs_->addTab(topicList_, QStringLiteral("&Argomenti"));

    auto* indexPage = new QWidget;
    auto* filterLabel = new QLabel(QStringLiteral("&Digitare la parola chiave da cercare:"));
    indexFilter_ = new QLineEdit;
    indexFilter_->setObjectName(QStringLiteral("indexFilter"));
    indexFilter_->setAccessibleName(QStringLiteral("Parola chiave"));
    filterLabel->setBuddy(indexFilter_);
    keywordList_ = new QListWidget;
    keywordList_->setObjectName(QStringLiteral("keywordList"));
    keywordList_->setAccessibleName(QStringLiteral("Parole chiave"));
    auto* foundLabel = new QLabel(QStringLiteral("Argomenti &trovati:"));
    foundList_ = new QListWidget;
    foundList_->setObjectName(QStringLiteral("foundList"));
    foundList_->setAccessibleName(QStringLiteral("Argomenti trovati"));
    foundList_->setMaximumHeight(110);
    foundLabel->setBuddy(foundList_);
    QPushButton* showButton = toolButton(indexPage, "showButton", QStringLiteral("&Visualizza"));
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(filterLabel);
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(keywordList_, 1);
    indexLayout->addWidget(foundLabel);
    indexLayout->addWidget(foundList_);
    indexLayout->addWidget(showButton, 0, Qt::AlignRight);
    tabs_->addTab(indexPage, QStringLiteral("I&ndice"));

    browser_ = new HelpBrowser(file_, this);
    browser_->setObjectName(QStringLiteral("topicView"));
    browser_->setAccessibleName(QStringLiteral("Argomento"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 540});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    // As large as reads well, within the screen it opens on (with room for the frame).
    QSize size(860, 600);
    if (const QScreen* shownOn = screen())
        size = size.boundedTo(shownOn->availableSize() - QSize(16, 40));
    resize(size);

    connect(contentsButton, &QPushButton::clicked, this, [this] {
        if (!file_.isEmpty())
            showTopic(file_.contents().id);
    });
    connect(indexButton, &QPushButton::clicked, this, [this] { showIndex(); });
    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QWidget::setEnabled);
    // One click shows a topic, as the contents page tells the reader.
    connect(topicList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showTopic(item->data(kTopicRole).toString()); });
    connect(topicList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showTopic(item->data(kTopicRole).toString()); });
    // Links and the back and forward buttons move the page: the list follows it.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& shown) {
        if (shown.scheme() == HelpFile::linkScheme())
            markTopic(shown.path());
    });
    connect(indexFilter_, &QLineEdit::textEdited, this, &HelpViewer::selectKeyword);
    connect(indexFilter_, &QLineEdit::returnPressed, this, &HelpViewer::showFoundTopic);
    connect(keywordList_, &QListWidget::currentRowChanged, this, &HelpViewer::keywordChanged);
    connect(keywordList_, &QListWidget::itemActivated, this, &HelpViewer::showFoundTopic);
    connect(foundList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showTopic(item->data(kTopicRole).toString()); });
    connect(showButton, &QPushButton::clicked, this, &HelpViewer::showFoundTopic);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::setHelpFile(HelpFile file) {
    if (!file_.isEmpty() && file.fingerprint() == file_.fingerprint())
        return;
    file_ = std::move(file);
    browser_->clearHistory();
    browser_->clear();
    fillLists();
}

void HelpViewer::fillLists() {
    topicList_->clear();
    for (const HelpTopic& topic : file_.topics())
        topicList_->addItem(topicItem(topic));
    keywordList_->clear();
    keywordList_->addItems(file_.keywords());
    foundList_->clear();
}

void HelpViewer::showRequest(const HelpRequest& request) {
    const HelpTarget target = file_.resolve(request);
    if (target.topic) {
        tabs_->setCurrentIndex(TopicsTab);
        showTopic(target.topic->id);
    } else {
        showIndex(target.keyword);
    }
}

void HelpViewer::showTopic(const QString& id) {
    browser_->setSource(topicUrl(id), QTextDocument::HtmlResource);
    markTopic(id);
    browser_->setFocus();
}

void HelpViewer::markTopic(const QString& id) {
    for (int row = 0; row < topicList_->count(); ++row) {
        if (topicList_->item(row)->data(kTopicRole).toString().compare(id, Qt::CaseInsensitive) ==
            0) {
            topicList_->setCurrentRow(row);
            return;
        }
    }
}

void HelpViewer::showIndex(const QString& keyword) {
    tabs_->setCurrentIndex(IndexTab);
    indexFilter_->setText(keyword);
    selectKeyword(keyword);
    // Nothing shown yet: the contents keep the right-hand side from staying blank.
    if (currentTopicId().isEmpty() && !file_.isEmpty())
        browser_->setSource(topicUrl(file_.contents().id), QTextDocument::HtmlResource);
    indexFilter_->setFocus();
    indexFilter_->selectAll();
}

QString HelpViewer::currentTopicId() const {
    const QUrl source = browser_->source();
    return source.scheme() == HelpFile::linkScheme() ? source.path() : QString();
}

bool HelpViewer::indexShown() const {
    return tabs_->currentIndex() == IndexTab;
}

void HelpViewer::selectKeyword(const QString& typed) {
    // The index follows what is typed: the first keyword that begins with it.
    const QString wanted = typed.trimmed();
    for (int row = 0; row < keywordList_->count(); ++row) {
        if (keywordList_->item(row)->text().startsWith(wanted, Qt::CaseInsensitive)) {
            keywordList_->setCurrentRow(row);
            keywordList_->scrollToItem(keywordList_->item(row), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpViewer::keywordChanged() {
    foundList_->clear();
    const QListWidgetItem* current = keywordList_->currentItem();
    if (!current)
        return;
    for (const HelpTopic* topic : file_.topicsFor(current->text()))
        foundList_->addItem(topicItem(*topic));
    foundList_->setCurrentRow(0);
}

void HelpViewer::showFoundTopic() {
    if (const QListWidgetItem* item = foundList_->currentItem())
        showTopic(item->data(kTopicRole).toString());
}

HelpViewer* HelpViewer::find(QWidget* parent) {
    QWidget* owner = parent ? parent->window() : nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* viewer = qobject_cast<HelpViewer*>(w);
        // A closed viewer is on its way out (deleted on close): never reuse it.
        if (viewer && viewer->isVisible() && viewer->parentWidget() == owner)
            return viewer;
    }
    return nullptr;
}

void showHelp(Services& services, QWidget* parent, const HelpRequest& request) {
    runGuarded(services.messages, "Help.show", [&] {
        HelpFile file;
        try {
            file = HelpFile::load(ProgramFolder::dataFile(HelpFile::fileName()));
        } catch (const AppError& e) {
            services.messages.critical(e.description() + QLatin1Char('.'));
            return;
        }
        HelpViewer* viewer = HelpViewer::find(parent);
        if (!viewer)
            viewer = new HelpViewer(parent ? parent->window() : nullptr);
        viewer->setHelpFile(std::move(file));
        viewer->showRequest(request);
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    });
}
