#include "assembly/assembly_log.h"
#include "controller/Module_zelkon_cluster.h"
#include "controller/initialisation_stage.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// The assembly merges tasks in order and never leaves a gap, so a log that
// lacks a task below its last one is damaged: continuing from it would leave
// that task waiting with no data.
bool logs_every_task(const RunState& state) {
    for (std::int32_t t = 1; t <= state.assembly_log_last_task; ++t) {
        if (state.assembly_log_lines.at(static_cast<std::size_t>(t)).empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool InitialisationStage::check_init_results_and_divide(SetupProgress& setup) {
    setup.begin_stage(17, "Check that the setup worked correctly");
    // A count below one would divide nothing, or give tasks that end before they start.
    if (state.num_data < 1) {
        platform.dialogs.warning(
            "The Zelkon cluster cluster data file was not generated correctly");
        return false;
    }
    controls.Text_mtx_ndata.text = format_number(state.num_data, "0");

    setup.begin_stage(18, "Calculate the expected uncompressed mtx size/data point");
    state.mtx_mb_per_datum = 0.0;
    if (state.num_x_cells >= 1 && state.num_y_cells >= 1 && state.num_z_cells >= 1) {
        state.mtx_mb_per_datum =
            4.0 * state.num_x_cells * state.num_y_cells * state.num_z_cells / 1024 / 1024;
        controls.Text_mtx_mx.text = format_number(state.num_x_cells, "0");
        controls.Text_mtx_my.text = format_number(state.num_y_cells, "0");
        controls.Text_mtx_mz.text = format_number(state.num_z_cells, "0");
    }

    setup.begin_stage(19, "Check if the existing mtx should be used");
    std::string job_file = state.local_path + state.cluster_data_file;
    if (state.cluster_data_file.empty() || !platform.files.file_exists(job_file)) {
        setup.write_info("The ClusterJobFile file does not exist: " + job_file);
        platform.dialogs.warning("The Zelkon cluster Cluster Job File was not generated correctly");
        return false;
    }
    setup.write_info("The ClusterJobFile file is: " + job_file);
    find_matrix_files(setup);

    setup.begin_stage(20, "Check if the existing mtx should be used");
    if (!offer_to_continue(setup)) {
        return false;
    }
    determine_data_step(setup);
    build_task_table(setup);
    mark_assembled_tasks(setup);
    divide_data_into_tasks(setup);
    return true;
}

void InitialisationStage::find_matrix_files(SetupProgress& setup) {
    state.assembly_log_last_task = 0;
    setup.last_task = 0;
    setup.first_data = 0;
    setup.last_data = 0;
    setup.component_mb.fill(0.0);
    if (state.num_components > 6) {
        throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
    }
    if (state.num_components == 1) {
        setup.mtx_files[1] = state.local_path + "parvex.mtx";
        setup.mtx_files_exist = platform.files.file_exists(setup.mtx_files[1]);
        return;
    }
    setup.mtx_files_exist = true;
    for (std::int32_t i = 1; i <= state.num_components; ++i) {
        auto index = static_cast<std::size_t>(i);
        setup.mtx_files[index] =
            state.local_path + "parvex_" + state.component_suffix[index] + ".mtx";
        setup.mtx_files_exist =
            setup.mtx_files_exist && platform.files.file_exists(setup.mtx_files[index]);
    }
}

bool InitialisationStage::offer_to_continue(SetupProgress& setup) {
    if (setup.index != 1 || !setup.mtx_files_exist ||
        !platform.files.file_exists(state.assembly_log_file)) {
        return true;
    }
    if (!platform.dialogs.ask_yes_no("Use the existing mtx file?", true)) {
        return true;
    }
    std::int32_t ierr = 0;
    assembly_log_.load_assembly_dat_file(ierr);
    std::int32_t decode_status = -1;
    if (ierr == 0) {
        decode_cluster_assembly_line(
            state.assembly_log_lines.at(static_cast<std::size_t>(state.assembly_log_last_task)),
            setup.last_task, setup.first_data, setup.last_data, state.num_components,
            setup.component_mb, decode_status);
    }
    bool can_continue = ierr == 0 && logs_every_task(state) && setup.component_mb[1] > 0 &&
                        decode_status >= 0 && setup.last_task > 0 && setup.first_data > 0 &&
                        setup.last_data >= 1 && setup.first_data <= setup.last_data;
    if (!can_continue) {
        state.assembly_log_last_task = 0;
        setup.last_task = 0;
        // The user asked to keep the matrix: stop rather than delete it for a fresh run.
        platform.dialogs.warning("The mtx assembly file is not valid");
        return false;
    }
    if (setup.last_data >= state.num_data) {
        platform.dialogs.message("The mtx file has already been generated correctly");
        return false;
    }
    return true;
}

}  // namespace zelkon
