#include "controller/initialisation_stage.h"

#include <cstdint>

#include "assembly/assembly_log.h"
#include "controller/Module_zelkon_cluster.h"
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
    append_run_log("\r\rRun the cluster setup process: " + state.local_computer_name);
    setup.write_info("Run the cluster setup process: " + state.local_computer_name);
    setup.begin_stage(13, "Set up the log file name");
    setup.init_log_file = state.local_path + "zelkon_cluster_init_" + state.job_id + ".log";

    setup.begin_stage(14, "Run the zelkon init process");
    state.task_command = "zelkon zelkon.inp " + shell_word("CLUSTER=" + state.job_id);
    append_run_log("\rCommand: " + state.task_command + "\rPath: " + state.local_path);
    setup.write_info("Run the zelkon init process: " + state.task_command);
    int process_id = 0;
    if (state.use_rpc) {
        StartResult started = platform.processes.start(state.task_command, "");
        process_id = started.started ? started.process_id : 0;
        state.start_status = process_id > 0 ? 0 : -1;
    } else {
        state.wmi_process_class = platform.management.connect(state.local_computer_name);
        state.start_status =
            state.wmi_process_class->Create(state.task_command, state.local_path, process_id);
    }
    state.init_process_id = process_id;
    if (state.start_status != 0) {
        platform.dialogs.warning("The Zelkon cluster initialisation stage did not start: " +
                                 format_number(state.start_status, "0"));
        return false;
    }
    if (platform.processes.wait(state.init_process_id) == kWaitStoppedBySignal) {
        throw ZelkonError(kErrorStoppedBySignal,
                          "The set-up was stopped by a signal; the initialisation was ended");
    }
    if (!platform.files.file_exists(setup.init_log_file)) {
        platform.dialogs.warning(
            "The Zelkon cluster initialisation stage did not generate a log file");
        return false;
    }
    return true;
}

bool InitialisationStage::read_init_log(SetupProgress& setup) {
    setup.begin_stage(15, "Read the init log file");
    append_run_log("\r\rRead the init log file");
    setup.write_info("Read the init log file: " + setup.init_log_file);
    state.num_data = 0;
    state.num_x_cells = 0;
    state.num_y_cells = 0;
    state.num_z_cells = 0;

    setup.begin_stage(16);
    std::vector<std::string> lines;
    if (!platform.files.read_lines(setup.init_log_file, lines)) {
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
        platform.dialogs.warning(message);
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
        state.num_data = whole_number_of(value);
    } else if (contains(line, "Number of x cells")) {
        read_first_item_number(value, state.num_x_cells);
    } else if (contains(line, "Number of y cells")) {
        read_first_item_number(value, state.num_y_cells);
    } else if (contains(line, "Number of z cells")) {
        read_first_item_number(value, state.num_z_cells);
    } else if (contains(line, "Number of Components")) {
        // No components would leave nothing to compute or keep.
        if (!is_numeric(value) || whole_number_of(value) < 1) {
            return stop(
                "The Zelkon cluster initialisation stage did not read the Number of Components "
                "correctly");
        }
        state.num_components = whole_number_of(value);
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
        if (!platform.files.file_exists(state.local_path + name)) {
            return stop("The Zelkon cluster cluster data file does not exist");
        }
        if (name.size() < 4) {
            throw ZelkonError(kErrorInvalidProcedureCall,
                              "Invalid procedure call or argument: cluster data file " + name);
        }
        state.cluster_data_file = name;
        std::string stem = state.local_path + name.substr(0, name.size() - 4);
        state.assembly_log_file = stem + "_assembly.dat";
        state.process_log_file = stem + "_process.log";
    }
    return true;
}

bool InitialisationStage::read_component_items(const std::string& value, bool data_types) {
    std::string rest = value;
    for (std::int32_t i = 1; i <= state.num_components; ++i) {
        if (i > kMaxComponents) {
            throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
        }
        std::string item = trim(take_next_item(rest));
        auto index = static_cast<std::size_t>(i);
        if (data_types) {
            if (!is_numeric(item)) {
                platform.dialogs.warning(
                    "The Zelkon cluster initialisation stage did not correctly specify the data "
                    "type for component " +
                    format_number(i, "0") + " correctly");
                return false;
            }
            state.component_data_type[index] = whole_number_of(item);
        } else {
            // The suffix names a matrix file in the inversion folder.
            if (item.empty() || !is_plain_file_name(item)) {
                platform.dialogs.warning(
                    "The Zelkon cluster initialisation stage did not correctly specify the data "
                    "suffix for component " +
                    format_number(i, "0"));
                return false;
            }
            state.component_suffix[index] = item;
        }
    }
    return true;
}

}  // namespace zelkon
