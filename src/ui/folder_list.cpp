#include "ui/folder_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "platform/file_system.h"
#include "ui/dropped_paths.h"

namespace zelkon {
namespace {

constexpr int kPathRole = Qt::UserRole;

std::string path_in(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

FolderList::FolderList(const FileSystem& files, QWidget* parent)
    : QTreeWidget(parent), files_(files) {
    setHeaderHidden(true);
    setColumnCount(1);
    // The chain is always open: it shows where the folder is, not a tree to browse.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setStyleSheet("QTreeView::branch { image: none; }");
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { choose(item); });
}

QSize FolderList::minimumSizeHint() const {
    int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    int row = std::max(fontMetrics().height(), icon) + 2;
    return QTreeWidget::minimumSizeHint().expandedTo(QSize(0, kMinRows * row + 2 * frameWidth()));
}

void FolderList::show_folder(const std::string& path) {
    if (built_ && path == shown_) {
        return;
    }
    clear();
    QTreeWidgetItem* current = add_chain(path);
    add_subfolders(current, path.empty() ? "/" : path);
    expandAll();
    if (!path.empty()) {
        setCurrentItem(current);
        scrollToItem(current);
    }
    shown_ = path;
    built_ = true;
}

QTreeWidgetItem* FolderList::add_chain(const std::string& path) {
    QTreeWidgetItem* item = add_item(nullptr, "/", "/", true);
    std::string folder = "/";
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string name = path.substr(start, end - start);
        if (!name.empty()) {
            folder = path_in(folder, name);
            item = add_item(item, QString::fromStdString(name), folder, true);
        }
        start = end + 1;
    }
    return item;
}

void FolderList::add_subfolders(QTreeWidgetItem* parent, const std::string& path) {
    for (const std::string& name : files_.list_folders(path)) {
        add_item(parent, QString::fromStdString(name), path_in(path, name), false);
    }
}

QTreeWidgetItem* FolderList::add_item(QTreeWidgetItem* parent, const QString& name,
                                      const std::string& path, bool open) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setData(0, kPathRole, QString::fromStdString(path));
    item->setIcon(0, style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirIcon));
    return item;
}

void FolderList::choose(QTreeWidgetItem* item) {
    std::string folder = item->data(0, kPathRole).toString().toStdString();
    // Choosing rebuilds the list, which must not happen while the view is
    // still handling the activation of one of its items.
    QTimer::singleShot(0, this, [this, folder] {
        if (on_folder_chosen) {
            on_folder_chosen(folder);
        }
    });
}

void FolderList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void FolderList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void FolderList::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    if (on_drop) {
        on_drop(dropped_paths(*event->mimeData()));
    }
}

}  // namespace zelkon
