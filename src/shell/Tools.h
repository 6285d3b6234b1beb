#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The command bar's tools: one table of ids, captions and flags, and where each sits.
struct Tool {
    QString id;       // dispatch key, e.g. "ID_Aggiungi"
    QString caption;  // caption in the tool set
    bool enabled = true;
    bool visible = true;
};

// A place on a bar or in a menu: a tool id with the caption shown there, a separator,
// or a submenu (its tool id, caption and entries).
struct ToolPlace {
    QString id;  // "" for a separator
    QString caption;
    std::vector<ToolPlace> submenu;
    bool isSeparator() const { return id.isEmpty(); }
};

class ToolSet {
public:
    ToolSet();  // the program's tool set, every tool enabled and visible but ID_Conferma

    const std::vector<Tool>& tools() const { return tools_; }
    // Looking a tool up by id ignores case ("ID_Menu" is ID_MENU); nullptr when unknown.
    const Tool* find(const QString& id) const;
    void setEnabled(const QString& id, bool enabled);
    void setVisible(const QString& id, bool visible);
    bool isEnabled(const QString& id) const;
    bool isVisible(const QString& id) const;

    // The eleven tools of the disabling and enabling sets, as those sets name them.
    static QStringList cardCommandIds();
    void setCardCommandsEnabled(bool enabled);

    // Layout of the bars, top to bottom.
    static std::vector<ToolPlace> menuBar();  // ToolBar1: the three menus with their entries
    static std::vector<ToolPlace> toolBar2();
    static std::vector<ToolPlace> toolBar3();

    static QString separatorCaption() { return QStringLiteral("separator"); }
    static QString webSubmenuId() { return QStringLiteral("ID_BrenvatisulWEB"); }

private:
    Tool* findMutable(const QString& id);
    std::vector<Tool> tools_;
};
