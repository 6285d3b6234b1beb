#pragma once

#include <QWidget>

#include "platform/core/HelpFile.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class HelpBrowser;
struct Services;

// The help window: topics on the right, the list of topics and the keyword index on
// the left, links between topics followed with a history (back, forward).
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    ~HelpViewer() override;

    // Takes the file; a file whose text did not change keeps the history.
    void setHelpFile(HelpFile file);
    const HelpFile& helpFile() const { return file_; }

    void showRequest(const HelpRequest& request);
    void showTopic(const QString& id);
    void showIndex(const QString& keyword = {});

    QString currentTopicId() const;  // empty before any topic is shown
    bool indexShown() const;

    // The open viewer belonging to parent's window (or to no window), if any.
    static HelpViewer* find(QWidget* parent);

private:
    void fillLists();
    void selectKeyword(const QString& typed);
    void keywordChanged();
    void showFoundTopic();
    void markTopic(const QString& id);  // selects it in the topic list

    HelpFile file_;
    QTabWidget* tabs_;
    QListWidget* topicList_;
    QLineEdit* indexFilter_;
    QListWidget* keywordList_;
    QListWidget* foundList_;
    HelpBrowser* browser_;
    QPushButton* backButton_;
    QPushButton* forwardButton_;
};

// Opens the help at the contents, at the keyword index, or at the topic of a keyword.
// A missing or unreadable help file is reported through the message service.
void showHelp(Services& services, QWidget* parent, const HelpRequest& request);
