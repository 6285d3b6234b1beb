#pragma once

#include <QDialog>

class CardContext;
class QComboBox;
class QFileSystemModel;
class QListView;
class QStringListModel;
class QTreeView;
struct Services;

// ApriFile: browse a drive and folder, collect files into an export list, and append
// it to the storage-media card's list of important files (ELENCO) as an edit.
class FileChooserWindow : public QDialog {
    Q_OBJECT
public:
    FileChooserWindow(CardContext& cards, Services& services, QWidget* parent = nullptr);

    QString folder() const { return folder_; }
    // Shows folder's matching files; an unreadable folder sends the browsing home.
    void openFolder(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openDrive(const QString& drive);
    void rebuildSource();
    void moveSelected(QListView* from, QListView* to);
    void exportList();

    CardContext& cards_;
    Services& services_;
    QString folder_;
    QComboBox* drives_;
    QComboBox* pattern_;
    QFileSystemModel* folders_;
    QTreeView* tree_;
    QStringListModel* source_;
    QStringListModel* chosen_;
    QListView* sourceView_;
    QListView* chosenView_;
};
