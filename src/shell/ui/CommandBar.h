#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include "shell/Tools.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The command bar SSActiveToolBars1: builds ToolBar1 (the three menus), ToolBar2 and
// ToolBar3 from the tool set, keeps every place of a tool in step with the tool's
// enabled and visible flags, and raises one click signal carrying the tool's id.
class CommandBar : public QObject {
    Q_OBJECT
public:
    explicit CommandBar(QMainWindow* window);

    ToolSet& tools() { return tools_; }
    void setEnabled(const QString& id, bool enabled);
    void setVisible(const QString& id, bool visible);
    bool isEnabled(const QString& id) const { return tools_.isEnabled(id); }
    bool isVisible(const QString& id) const { return tools_.isVisible(id); }
    void setCardCommandsEnabled(bool enabled);

    // Every action that shows the tool (case-insensitive id).
    QList<QAction*> actions(const QString& id) const;
    // Clicks the tool as the user would: only an enabled, visible place reacts.
    void click(const QString& id);
    QToolBar* bar(int number) const;

signals:
    void toolClicked(const QString& id);

private:
    QAction* addPlace(const ToolPlace& place, QWidget* owner);
    QMenu* buildMenu(const ToolPlace& place, QWidget* parent, const QStringList& chain);
    void sync(const QString& id);

    QMainWindow* window_;
    ToolSet tools_;
    QHash<QString, QList<QPointer<QAction>>> actions_;  // by upper-case id
    QList<QToolBar*> bars_;
};
