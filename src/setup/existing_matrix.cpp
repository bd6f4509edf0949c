#include "assembly/assembly_log.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "setup/initialisation_stage.h"

namespace zelkon {
namespace {

// The assembly merges tasks in order and never leaves a gap, so a log that
// lacks a task below its last one is damaged: continuing from it would leave
// that task waiting with no data.
bool logs_every_task(const AssemblyProgress& assembly_state) {
    for (std::int32_t t = 1; t <= assembly_state.assembly_log_last_task; ++t) {
        if (assembly_state.assembly_log_lines.at(static_cast<std::size_t>(t)).empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool InitialisationStage::check_init_results_and_divide(SetupProgress& setup) {
    setup.begin_stage(17, "Check that the setup worked correctly");
    // A count below one would divide nothing, or give tasks that end before they start.
    if (data.num_data < 1) {
        dialogs.warning("The Zelkon cluster cluster data file was not generated correctly");
        return false;
    }
    controls.Text_mtx_ndata.text = format_number(data.num_data, "0");

    setup.begin_stage(18, "Calculate the expected uncompressed mtx size/data point");
    data.mtx_mb_per_datum = 0.0;
    if (data.num_x_cells >= 1 && data.num_y_cells >= 1 && data.num_z_cells >= 1) {
        data.mtx_mb_per_datum =
            4.0 * data.num_x_cells * data.num_y_cells * data.num_z_cells / 1024 / 1024;
        controls.Text_mtx_mx.text = format_number(data.num_x_cells, "0");
        controls.Text_mtx_my.text = format_number(data.num_y_cells, "0");
        controls.Text_mtx_mz.text = format_number(data.num_z_cells, "0");
    }

    setup.begin_stage(19, "Check if the existing mtx should be used");
    std::string job_file = job.local_path + data.cluster_data_file;
    if (data.cluster_data_file.empty() || !files.file_exists(job_file)) {
        setup.write_info("The ClusterJobFile file does not exist: " + job_file);
        dialogs.warning("The Zelkon cluster Cluster Job File was not generated correctly");
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
    assembly_state.assembly_log_last_task = 0;
    setup.last_task = 0;
    setup.first_data = 0;
    setup.last_data = 0;
    setup.component_mb.fill(0.0);
    if (data.num_components > 6) {
        throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
    }
    if (data.num_components == 1) {
        setup.mtx_files[1] = job.local_path + "parvex.mtx";
        setup.mtx_files_exist = files.file_exists(setup.mtx_files[1]);
        return;
    }
    setup.mtx_files_exist = true;
    for (std::int32_t i = 1; i <= data.num_components; ++i) {
        auto index = static_cast<std::size_t>(i);
        setup.mtx_files[index] = job.local_path + "parvex_" + data.component_suffix[index] + ".mtx";
        setup.mtx_files_exist = setup.mtx_files_exist && files.file_exists(setup.mtx_files[index]);
    }
}

bool InitialisationStage::offer_to_continue(SetupProgress& setup) {
    if (setup.index != 1 || !setup.mtx_files_exist || !files.file_exists(data.assembly_log_file)) {
        return true;
    }
    if (!dialogs.ask_yes_no("Use the existing mtx file?", true)) {
        return true;
    }
    std::int32_t ierr = 0;
    assembly_log_.load_assembly_dat_file(ierr);
    std::int32_t decode_status = -1;
    if (ierr == 0) {
        decode_cluster_assembly_line(assembly_state.assembly_log_lines.at(static_cast<std::size_t>(
                                         assembly_state.assembly_log_last_task)),
                                     setup.last_task, setup.first_data, setup.last_data,
                                     data.num_components, setup.component_mb, decode_status);
    }
    bool can_continue = ierr == 0 && logs_every_task(assembly_state) && setup.component_mb[1] > 0 &&
                        decode_status >= 0 && setup.last_task > 0 && setup.first_data > 0 &&
                        setup.last_data >= 1 && setup.first_data <= setup.last_data;
    if (!can_continue) {
        assembly_state.assembly_log_last_task = 0;
        setup.last_task = 0;
        // The user asked to keep the matrix: stop rather than delete it for a fresh run.
        dialogs.warning("The mtx assembly file is not valid");
        return false;
    }
    if (setup.last_data >= data.num_data) {
        dialogs.message("The mtx file has already been generated correctly");
        return false;
    }
    return true;
}

}  // namespace zelkon
