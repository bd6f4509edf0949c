#pragma once

#include <string>

#include "platform/environment.h"

namespace zelkon {

// The root under which the work folder lives on every machine, without a
// trailing "/" (so "/" itself gives ""). An absolute path is used as it is,
// a drive letter with or without ":" is that drive's mount point ("D" is
// "/mnt/d"), and any other text is taken relative to "/". Backslashes count
// as "/", so settings written on Windows keep working.
std::string work_drive_root(const std::string& work_drive);

// The work folder with backslashes read as "/", then one leading and one
// trailing separator removed ("\Work\" and "/Work/" are both "Work").
std::string work_folder_name(const std::string& work_folder);

// The folder under which other machines are reached by name: the variable
// ZELKON_NET_ROOT, "/net" when it is unset, without a trailing "/".
std::string network_root(const Environment& environment);

}  // namespace zelkon
