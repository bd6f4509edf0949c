#include "setup/initialisation_stage.h"

#include <cstdint>

#include "assembly/assembly_log.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "platform/shell_words.h"
#include "platform/text_items.h"

namespace zelkon {
namespace {

// The value of an init-log line: what follows its first ":", or the whole
// line when it has none.
std::string value_of(const std::string& line) {
    std::size_t colon = line.find(':');
    return colon == std::string::npos ? line : line.substr(colon + 1);
}

bool contains(const std::string& line, const char* key) {
    return line.find(key) != std::string::npos;
}

// The first item of a value when it is a number; otherwise the target keeps
// its value.
void read_first_item_number(std::string value, std::int32_t& target) {
    std::string item = trim(take_next_item(value));
    if (is_numeric(item)) {
        target = whole_number_of(item);
    }
}

// A name that stays inside the inversion folder.
bool is_plain_file_name(const std::string& name) {
    return name.find('/') == std::string::npos && name != "." && name != "..";
}

}  // namespace

bool InitialisationStage::run_zelkon_init(SetupProgress& setup) {
    setup.begin_stage(12, "Run the cluster setup process");
    host.append_run_log("\r\rRun the cluster setup process: " + job.local_computer_name);
    setup.write_info("Run the cluster setup process: " + job.local_computer_name);
    setup.begin_stage(13, "Set up the log file name");
    setup.init_log_file = job.local_path + "zelkon_cluster_init_" + job.job_id + ".log";

    setup.begin_stage(14, "Run the zelkon init process");
    std::string command = "zelkon zelkon.inp " + shell_word("CLUSTER=" + job.job_id);
    host.append_run_log("\rCommand: " + command + "\rPath: " + job.local_path);
    setup.write_info("Run the zelkon init process: " + command);
    int process_id = 0;
    std::int32_t status = 0;
    if (job.use_rpc) {
        StartResult started = processes.start(command, "");
        process_id = started.started ? started.process_id : 0;
        status = process_id > 0 ? 0 : -1;
    } else {
        wmi_process_class = management.connect(job.local_computer_name);
        status = wmi_process_class->Create(command, job.local_path, process_id);
    }
    if (status != 0) {
        dialogs.warning("The Zelkon cluster initialisation stage did not start: " +
                        format_number(status, "0"));
        return false;
    }
    if (processes.wait(process_id) == kWaitStoppedBySignal) {
        throw ZelkonError(kErrorStoppedBySignal,
                          "The set-up was stopped by a signal; the initialisation was ended");
    }
    if (!files.file_exists(setup.init_log_file)) {
        dialogs.warning("The Zelkon cluster initialisation stage did not generate a log file");
        return false;
    }
    return true;
}

bool InitialisationStage::read_init_log(SetupProgress& setup) {
    setup.begin_stage(15, "Read the init log file");
    host.append_run_log("\r\rRead the init log file");
    setup.write_info("Read the init log file: " + setup.init_log_file);
    data.num_data = 0;
    data.num_x_cells = 0;
    data.num_y_cells = 0;
    data.num_z_cells = 0;

    setup.begin_stage(16);
    std::vector<std::string> lines;
    if (!files.read_lines(setup.init_log_file, lines)) {
        throw ZelkonError(kErrorFileNotFound, "File not found: " + setup.init_log_file);
    }
    for (const std::string& raw : lines) {
        std::string line = trim(raw);
        if (!line.empty() && !apply_init_log_line(line)) {
            return false;
        }
    }
    return true;
}

bool InitialisationStage::apply_init_log_line(const std::string& line) {
    auto stop = [this](const std::string& message) {
        dialogs.warning(message);
        return false;
    };
    std::string value = value_of(line);
    if (contains(line, "Error")) {
        return stop("The Zelkon cluster initialisation stage encountered an error: " + line);
    }
    if (contains(line, "Number of observed data")) {
        if (!is_numeric(value)) {
            return stop(
                "The Zelkon cluster initialisation stage did not read the observed data "
                "correctly");
        }
        data.num_data = whole_number_of(value);
    } else if (contains(line, "Number of x cells")) {
        read_first_item_number(value, data.num_x_cells);
    } else if (contains(line, "Number of y cells")) {
        read_first_item_number(value, data.num_y_cells);
    } else if (contains(line, "Number of z cells")) {
        read_first_item_number(value, data.num_z_cells);
    } else if (contains(line, "Number of Components")) {
        // No components would leave nothing to compute or keep.
        if (!is_numeric(value) || whole_number_of(value) < 1) {
            return stop(
                "The Zelkon cluster initialisation stage did not read the Number of Components "
                "correctly");
        }
        data.num_components = whole_number_of(value);
    } else if (contains(line, "Data type, restart:")) {
        std::size_t second_colon = value.find(':');
        if (second_colon != std::string::npos) {
            value = value.substr(second_colon + 1);
        }
        return read_component_items(value, true);
    } else if (contains(line, "Data type:")) {
        return read_component_items(value, false);
    } else if (contains(line, "Cluster File")) {
        std::string name = trim(value);
        if (name.empty() || !is_plain_file_name(name)) {
            return stop("The Zelkon cluster cluster data file was not generated correctly");
        }
        if (!files.file_exists(job.local_path + name)) {
            return stop("The Zelkon cluster cluster data file does not exist");
        }
        if (name.size() < 4) {
            throw ZelkonError(kErrorInvalidProcedureCall,
                              "Invalid procedure call or argument: cluster data file " + name);
        }
        data.cluster_data_file = name;
        std::string stem = job.local_path + name.substr(0, name.size() - 4);
        data.assembly_log_file = stem + "_assembly.dat";
        data.process_log_file = stem + "_process.log";
    }
    return true;
}

bool InitialisationStage::read_component_items(const std::string& value, bool data_types) {
    std::string rest = value;
    for (std::int32_t i = 1; i <= data.num_components; ++i) {
        if (i > kMaxComponents) {
            throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
        }
        std::string item = trim(take_next_item(rest));
        auto index = static_cast<std::size_t>(i);
        if (data_types) {
            if (!is_numeric(item)) {
                dialogs.warning(
                    "The Zelkon cluster initialisation stage did not correctly specify the data "
                    "type for component " +
                    format_number(i, "0") + " correctly");
                return false;
            }
            data.component_data_type[index] = whole_number_of(item);
        } else {
            // The suffix names a matrix file in the inversion folder.
            if (item.empty() || !is_plain_file_name(item)) {
                dialogs.warning(
                    "The Zelkon cluster initialisation stage did not correctly specify the data "
                    "suffix for component " +
                    format_number(i, "0"));
                return false;
            }
            data.component_suffix[index] = item;
        }
    }
    return true;
}

}  // namespace zelkon
