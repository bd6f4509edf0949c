#include "settings/settings_file.h"

#include <exception>

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/settings_file_format.h"

namespace zelkon {
namespace {

// Far above any real settings file: anything larger is the wrong file, and
// reading it whole could exhaust memory.
constexpr std::int64_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

std::vector<std::string> read_settings_lines(const FileSystem& files, const std::string& fname) {
    if (!files.file_exists(fname)) {
        throw ZelkonError(kErrorFileNotFound, "File not found: " + fname);
    }
    if (files.file_size(fname) > kMaxSettingsFileBytes) {
        throw ZelkonError(kErrorFileAccess,
                          "The file is too large to be a settings file: " + fname);
    }
    std::vector<std::string> lines;
    if (!files.read_lines(fname, lines)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + fname);
    }
    return lines;
}

void fill_form(const SettingsFileValues& values, FormControls& controls) {
    controls.Text_jobID.text = format_number(values.job_id, "000000");
    controls.Text_work_drive.text = values.work_drive;
    controls.Text_work_folder.text = values.work_folder;
    controls.Text_network_share.text = values.network_share;
    controls.Text_max_tasks.text = format_number(values.max_tasks, "0");
    controls.Check_use_RPC.value = values.use_rpc ? 1 : 0;
    controls.Text_server.text = values.server_list;
}

}  // namespace

void SettingsFile::save_cluster_settings(const std::string& fname) {
    // Written beside the old file and renamed over it, so that a failed
    // write (a full disk) leaves the old file whole and is reported.
    std::string partial = fname + ".partial";
    auto writer = files.open_writer(partial, false);
    if (!writer) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + fname);
    }
    bool written = true;
    for (const auto& line : settings_file_lines(job, controls.Text_server.text)) {
        written = written && writer->write_line(line);
    }
    written = writer->close() && written;
    writer.reset();
    if (!written || !files.rename_file(partial, fname)) {
        files.delete_files(partial, true);
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + fname);
    }
}

void SettingsFile::read_cluster_settings(const std::string& fname, std::int32_t& ierr) {
    ierr = -1;
    try {
        SettingsFileValues values;
        if (!parse_settings_file(read_settings_lines(files, fname), values)) {
            dialogs.warning(std::string("The specified file does not have the correct "
                                        "format: line 1 should begin with \"Nimbal\", "
                                        "as the header line \"") +
                            kSettingsFileHeader + "\" does");
            return;
        }
        fill_form(values, controls);
        ierr = 0;
    } catch (const std::exception& error) {
        dialogs.warning("An error occurred while reading the settings: " +
                        error_description(error));
    }
}

}  // namespace zelkon
