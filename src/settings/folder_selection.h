#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/form_controls.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace zelkon {

// The choice of the inversion folder. The drive list holds the file-system
// roots a user picks from; Drive1 is the selected one and Dir1 the folder.
class FolderSelection {
  public:
    FolderSelection(FormControls& controls, FileSystem& files, Dialogs& dialogs,
                    Environment& environment, CurrentDirectory& current_directory)
        : controls(controls),
          files(files),
          dialogs(dialogs),
          environment(environment),
          current_directory(current_directory) {}

    std::vector<std::string> drive_list() const;
    // Makes a folder the inversion folder: its drive in Drive1, then Dir1.
    void set_inversion_folder(const std::string& folder);
    void Drive1_Change();
    void Command_set_folder_Click();
    // The local paths of a drop's file list; empty when the drop offers none.
    void Dir1_OLEDragDrop(const std::optional<std::vector<std::string>>& dropped_paths);

  private:
    FormControls& controls;
    FileSystem& files;
    Dialogs& dialogs;
    Environment& environment;
    CurrentDirectory& current_directory;
};

}  // namespace zelkon
