#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/job_settings.h"

namespace zelkon {

// The first line of a settings file; a reader accepts any first line that
// begins with its first word.
inline constexpr const char* kSettingsFileHeader = "Nimbal_Controller settings V1.0";

// The values a settings file gives the form.
struct SettingsFileValues {
    std::int32_t job_id = 0;
    std::string work_drive;
    std::string work_folder;
    std::string network_share;
    std::int32_t max_tasks = 0;
    bool use_rpc = false;
    std::string server_list;  // lines joined by CR LF
};

// The lines of a settings file, without their CR LF ends: the checked
// settings of the run state, then the server list's own lines.
std::vector<std::string> settings_file_lines(const JobSettings& job,
                                             const std::string& server_text);

// Takes the values of a settings file from its lines by line number. False
// when the first line does not begin with "Nimbal". Throws ZelkonError when
// the file ends before the server list or a number does not fit.
bool parse_settings_file(const std::vector<std::string>& lines, SettingsFileValues& values);

}  // namespace zelkon
