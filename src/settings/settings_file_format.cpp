#include "settings/settings_file_format.h"

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/server_list.h"

namespace zelkon {
namespace {

constexpr int kErrorInputPastEnd = 62;
// Line numbers (from 1) of the values a reader takes.
constexpr std::size_t kJobIdLine = 4;
constexpr std::size_t kWorkDriveLine = 7;
constexpr std::size_t kWorkFolderLine = 10;
constexpr std::size_t kShareLine = 16;
constexpr std::size_t kMaxTasksLine = 19;
constexpr std::size_t kUseRpcLine = 22;
constexpr std::size_t kServerListLine = 25;

std::string line_at(const std::vector<std::string>& lines, std::size_t number) {
    return lines[number - 1];
}

}  // namespace

std::vector<std::string> settings_file_lines(const JobSettings& job,
                                             const std::string& server_text) {
    std::vector<std::string> lines = {kSettingsFileHeader,
                                      "",
                                      "Job ID",
                                      job.job_id,
                                      "",
                                      "Work Drive",
                                      job.work_drive,
                                      "",
                                      "Work Folder",
                                      job.work_folder,
                                      "",
                                      "Local Path",
                                      trim(job.local_path),
                                      "",
                                      "Folder Share Name",
                                      trim(job.network_share),
                                      "",
                                      "Max Tasks",
                                      format_number(job.max_tasks, "0"),
                                      "",
                                      "Use RPC",
                                      yes_no(job.use_rpc ? 1 : 0),
                                      "",
                                      "ServerList"};
    // An empty list still gives its one (empty) line.
    for (const auto& line : split_server_lines(trim(server_text))) {
        lines.push_back(line);
    }
    return lines;
}

bool parse_settings_file(const std::vector<std::string>& lines, SettingsFileValues& values) {
    if (lines.empty()) {
        throw ZelkonError(kErrorInputPastEnd, "Input past end of file");
    }
    if (!lines[0].starts_with("Nimbal")) {
        return false;
    }
    if (lines.size() < kServerListLine) {
        throw ZelkonError(kErrorInputPastEnd, "Input past end of file");
    }
    values.job_id = whole_number(leading_number(line_at(lines, kJobIdLine)));
    values.work_drive = line_at(lines, kWorkDriveLine);
    values.work_folder = line_at(lines, kWorkFolderLine);
    values.network_share = line_at(lines, kShareLine);
    values.max_tasks = whole_number(leading_number(line_at(lines, kMaxTasksLine)));
    values.use_rpc = line_at(lines, kUseRpcLine) == "Yes";
    values.server_list = line_at(lines, kServerListLine);
    for (std::size_t i = kServerListLine; i < lines.size(); ++i) {
        if (!trim(lines[i]).empty()) {
            values.server_list += "\r\n" + lines[i];
        }
    }
    return true;
}

}  // namespace zelkon
