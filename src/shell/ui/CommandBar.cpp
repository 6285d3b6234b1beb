#include "shell/ui/CommandBar.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

QString key(const QString& id) {
    return id.toUpper();
}

QIcon iconFor(const QString& id, QStyle* style) {
    static const QHash<QString, QStyle::StandardPixmap> icons = {
        {QStringLiteral("ID_First"), QStyle::SP_MediaSkipBackward},
        {QStringLiteral("ID_Previous"), QStyle::SP_MediaSeekBackward},
        {QStringLiteral("ID_Next"), QStyle::SP_MediaSeekForward},
        {QStringLiteral("ID_Last"), QStyle::SP_MediaSkipForward},
        {QStringLiteral("ID_Conferma"), QStyle::SP_DialogApplyButton},
        {QStringLiteral("ID_Aggiungi"), QStyle::SP_FileDialogNewFolder},
        {QStringLiteral("ID_Elimina"), QStyle::SP_TrashIcon},
        {QStringLiteral("ID_RicercaconStampaStrutturata"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("ID_GraficiStatistici"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("ID_Uscita"), QStyle::SP_DialogCloseButton},
    };
    const auto it = icons.find(id);
    if (it == icons.end())
        return {};
    // The style greys black line drawings hardly at all, so a disabled tool looked
    // enabled: every icon gets a faded pixmap of its own for the disabled state.
    const QIcon base = style->standardIcon(it.value());
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        const QPixmap normal = base.pixmap(size);
        QPixmap faded(normal.size());
        faded.setDevicePixelRatio(normal.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.3);
        painter.drawPixmap(0, 0, normal);
        painter.end();
        icon.addPixmap(normal, QIcon::Normal);
        icon.addPixmap(faded, QIcon::Disabled);
    }
    return icon;
}

}  // namespace

CommandBar::CommandBar(QMainWindow* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("SSActiveToolBars1"));

    auto* bar1 = new QToolBar(QStringLiteral("ToolBar1"), window);
    bar1->setObjectName(QStringLiteral("ToolBar1"));
    for (const ToolPlace& menuPlace : ToolSet::menuBar()) {
        QAction* a = addPlace(menuPlace, bar1);
        // Alt + the first letter opens each menu.
        a->setText(QStringLiteral("&") + menuPlace.caption);
        a->setMenu(buildMenu(menuPlace, window, {}));
        bar1->addAction(a);
        if (auto* button = qobject_cast<QToolButton*>(bar1->widgetForAction(a)))
            button->setPopupMode(QToolButton::InstantPopup);
    }
    auto* bar2 = new QToolBar(QStringLiteral("ToolBar2"), window);
    bar2->setObjectName(QStringLiteral("ToolBar2"));
    auto* bar3 = new QToolBar(QStringLiteral("ToolBar3"), window);
    bar3->setObjectName(QStringLiteral("ToolBar3"));
    for (auto [bar, places] :
         {std::pair{bar2, ToolSet::toolBar2()}, std::pair{bar3, ToolSet::toolBar3()}}) {
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        for (const ToolPlace& p : places) {
            if (p.isSeparator())
                bar->addSeparator();
            else
                bar->addAction(addPlace(p, bar));
        }
    }
    bars_ = {bar1, bar2, bar3};
    for (QToolBar* b : bars_) {
        b->setMovable(false);
        b->setFloatable(false);
        b->setContextMenuPolicy(Qt::PreventContextMenu);
        window->addToolBar(Qt::TopToolBarArea, b);
        if (b != bar3)
            window->addToolBarBreak(Qt::TopToolBarArea);
    }
    for (const Tool& t : tools_.tools())
        sync(t.id);
}

QAction* CommandBar::addPlace(const ToolPlace& place, QWidget* owner) {
    auto* a = new QAction(place.caption, owner);
    a->setObjectName(place.id);
    a->setProperty("toolId", place.id);
    a->setIcon(iconFor(place.id, window_->style()));
    a->setIconVisibleInMenu(false);
    const QString id = place.id;
    connect(a, &QAction::triggered, this, [this, id] { emit toolClicked(id); });
    actions_[key(id)].append(a);
    return a;
}

QMenu* CommandBar::buildMenu(const ToolPlace& place, QWidget* parent, const QStringList& chain) {
    auto* menu = new QMenu(place.caption, parent);
    // Menus keep the desktop's font: they are not part of the stretched card window.
    menu->setFont(QApplication::font(menu));
    const QStringList inner = chain + QStringList{place.id};
    menu->setObjectName(place.id + QStringLiteral("_Menu"));
    for (const ToolPlace& entry : place.submenu) {
        if (entry.isSeparator()) {
            menu->addSeparator();
        } else if (!entry.submenu.empty()) {
            QAction* a = addPlace(entry, menu);
            a->setProperty("menuChain", inner);
            a->setMenu(buildMenu(entry, menu, inner));
            menu->addAction(a);
        } else {
            QAction* a = addPlace(entry, menu);
            a->setProperty("menuChain", inner);
            menu->addAction(a);
        }
    }
    return menu;
}

void CommandBar::sync(const QString& id) {
    const Tool* t = tools_.find(id);
    if (!t)
        return;
    for (const QPointer<QAction>& a : actions_.value(key(id)))
        if (a) {
            a->setEnabled(t->enabled);
            a->setVisible(t->visible);
        }
}

void CommandBar::setEnabled(const QString& id, bool enabled) {
    tools_.setEnabled(id, enabled);
    sync(id);
}

void CommandBar::setVisible(const QString& id, bool visible) {
    tools_.setVisible(id, visible);
    sync(id);
}

void CommandBar::setCardCommandsEnabled(bool enabled) {
    for (const QString& id : ToolSet::cardCommandIds())
        setEnabled(id, enabled);
}

QList<QAction*> CommandBar::actions(const QString& id) const {
    QList<QAction*> out;
    for (const QPointer<QAction>& a : actions_.value(key(id)))
        if (a)
            out << a;
    return out;
}

void CommandBar::click(const QString& id) {
    for (QAction* a : actions(id)) {
        if (!a->isEnabled() || !a->isVisible())
            continue;
        // An entry of a disabled menu is out of reach.
        bool reachable = true;
        for (const QString& menuId : a->property("menuChain").toStringList())
            reachable = reachable && tools_.isEnabled(menuId);
        if (reachable) {
            a->trigger();
            return;
        }
    }
}

QToolBar* CommandBar::bar(int number) const {
    return number >= 1 && number <= bars_.size() ? bars_[number - 1] : nullptr;
}
