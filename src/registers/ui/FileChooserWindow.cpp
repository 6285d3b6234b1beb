#include "registers/ui/FileChooserWindow.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTreeView>

#include "cards/CardContext.h"
#include "platform/core/AppError.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "registers/FileListChooser.h"

namespace {

QListView* listView(QStringListModel* model, const char* name, QWidget* parent) {
    auto* view = new QListView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);  // thousands of rows without measuring each
    view->setMinimumSize(340, 140);  // with the folders beside it, within 640 pixels
    return view;
}

QLabel* wrapped(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

}  // namespace

FileChooserWindow::FileChooserWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("ApriFile"));
    setWindowTitle(QStringLiteral("Selezione files..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("Drive1"));
    drives_->setAccessibleName(QStringLiteral("Unità"));
    drives_->addItems(FileListChooser::drives());

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("Dir1"));
    tree_->setAccessibleName(QStringLiteral("Cartelle"));
    tree_->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->header()->hide();
    tree_->setMinimumSize(200, 220);

    pattern_ = new QComboBox(this);
    pattern_->setObjectName(QStringLiteral("Combo1"));
    pattern_->setAccessibleName(QStringLiteral("Tipo di file"));
    pattern_->setEditable(true);
    pattern_->setInsertPolicy(QComboBox::NoInsert);  // a pattern typed is used, not listed
    pattern_->addItems(FileListChooser::patterns());
    pattern_->setEditText(QStringLiteral("*.*"));

    source_ = new QStringListModel(this);
    chosen_ = new QStringListModel(this);
    sourceView_ = listView(source_, "List1", this);
    chosenView_ = listView(chosen_, "List2", this);
    sourceView_->installEventFilter(this);
    tree_->installEventFilter(this);
    chosenView_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* exportButton = new QPushButton(QStringLiteral("&Esporta"), this);
    exportButton->setObjectName(QStringLiteral("Command6"));
    auto* cancelButton = new QPushButton(QStringLiteral("&Annulla"), this);
    cancelButton->setObjectName(QStringLiteral("Command5"));
    // Enter belongs to the field it is typed in (a folder, a pattern, a file to move);
    // exporting closes the window, so it takes a click or Alt+E.
    for (QPushButton* b : {exportButton, cancelButton})
        b->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(drives_);
    left->addWidget(tree_, 1);
    left->addWidget(pattern_);
    auto* right = new QVBoxLayout;
    right->addWidget(wrapped(FileListChooser::sourceCaption(), "Label1", this));
    right->addWidget(sourceView_, 1);
    right->addWidget(wrapped(FileListChooser::exportCaption(), "Label2", this));
    right->addWidget(chosenView_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addWidget(cancelButton);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    connect(drives_, &QComboBox::textActivated, this, &FileChooserWindow::openDrive);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    openFolder(folders_->filePath(index));
            });
    connect(pattern_, &QComboBox::editTextChanged, this, [this] { rebuildSource(); });
    connect(sourceView_, &QListView::doubleClicked, this,
            [this] { moveSelected(sourceView_, chosenView_); });
    connect(chosenView_, &QListView::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("Opzioni"));
        QAction* remove = menu.addAction(QStringLiteral("Elimina dalla lista..."));
        remove->setObjectName(QStringLiteral("Elimina"));
        if (menu.exec(chosenView_->viewport()->mapToGlobal(at)) == remove)
            moveSelected(chosenView_, sourceView_);
    });
    connect(exportButton, &QPushButton::clicked, this, &FileChooserWindow::exportList);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    drives_->setCurrentText(FileListChooser::homeFolder());
    openDrive(FileListChooser::homeFolder());
    // The lists would ask for more height than a 640 x 480 screen has; they scroll instead.
    QSize size = sizeHint();
    if (const QScreen* shownOn = screen())
        size = size.boundedTo(shownOn->availableSize() - QSize(16, 40));
    resize(size.expandedTo(minimumSizeHint()));
}

void FileChooserWindow::openDrive(const QString& drive) {
    folders_->setRootPath(drive);
    tree_->setRootIndex(folders_->index(drive));
    openFolder(drive);
}

void FileChooserWindow::openFolder(const QString& folder) {
    folder_ = folder;
    rebuildSource();
}

void FileChooserWindow::rebuildSource() {
    try {
        source_->setStringList(FileListChooser::matchingFiles(folder_, pattern_->currentText()));
    } catch (const AppError& e) {
        services_.messages.critical(e.source() + QStringLiteral(". ") + e.description());
        // Browsing goes on at home, which can be read.
        const QString home = FileListChooser::homeFolder();
        if (folder_ == home)
            return;
        const QSignalBlocker block(drives_);
        drives_->setCurrentText(home);
        openDrive(home);
    }
}

void FileChooserWindow::moveSelected(QListView* from, QListView* to) {
    auto* fromModel = qobject_cast<QStringListModel*>(from->model());
    auto* toModel = qobject_cast<QStringListModel*>(to->model());
    const QModelIndex current = from->currentIndex();
    if (!current.isValid() || !from->selectionModel()->isSelected(current))
        return;
    QStringList fromList = fromModel->stringList();
    QStringList toList = toModel->stringList();
    if (!FileListChooser::moveEntry(fromList, current.row(), toList))
        return;
    // Rows change in place so that a long source list is not rebuilt for one entry.
    fromModel->removeRow(current.row());
    toModel->insertRow(toModel->rowCount());
    toModel->setData(toModel->index(toModel->rowCount() - 1), toList.last());
}

bool FileChooserWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    if (watched == sourceView_) {
        moveSelected(sourceView_, chosenView_);
        return true;
    }
    if (watched == tree_) {
        // The folder is open already: Enter shows or hides its subfolders.
        const QModelIndex current = tree_->currentIndex();
        if (current.isValid())
            tree_->setExpanded(current, !tree_->isExpanded(current));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FileChooserWindow::exportList() {
    runGuarded(services_.messages, "ApriFile.Command6_Click", [this] {
        const QString field = QStringLiteral("ELENCO");
        cards_.setCardField(
            field, FileListChooser::appendLines(cards_.cardField(field), chosen_->stringList()));
        accept();
    });
}
