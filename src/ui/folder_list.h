#pragma once

#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelkon {

class FileSystem;

// The folder list: the chain of folders from the root down to the current
// folder, and the folders inside it. Activating a folder (double click or
// Enter) chooses it; a drop of a URL list hands its paths on.
class FolderList : public QTreeWidget {
  public:
    explicit FolderList(const FileSystem& files, QWidget* parent = nullptr);

    // Shows a folder; an empty path shows the root without choosing it.
    void show_folder(const std::string& path);
    const std::string& shown_folder() const { return shown_; }

    std::function<void(const std::string& folder)> on_folder_chosen;
    std::function<void(const std::optional<std::vector<std::string>>& paths)> on_drop;

    // Tall enough for a few rows of the chain, however small the window.
    QSize minimumSizeHint() const override;
    static constexpr int kMinRows = 6;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QTreeWidgetItem* add_chain(const std::string& path);
    void add_subfolders(QTreeWidgetItem* parent, const std::string& path);
    QTreeWidgetItem* add_item(QTreeWidgetItem* parent, const QString& name, const std::string& path,
                              bool open);
    void choose(QTreeWidgetItem* item);

    const FileSystem& files_;
    std::string shown_;
    bool built_ = false;
};

}  // namespace zelkon
