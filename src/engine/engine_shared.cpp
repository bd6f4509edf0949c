#include "controller/Module_zelkon_cluster.h"
#include "engine/task_engine.h"

namespace zelkon {
namespace {

GridCell* grid_cell(GridControl& grid, std::int32_t row, int column) {
    if (row < 0 || row >= grid.rows() || column < 0 || column >= grid.cols()) {
        return nullptr;
    }
    return &grid.cell(row, column);
}

}  // namespace

FixedMs TaskEngine::tick_count_ms() const {
    return FixedMs::from_scaled(platform.clock.tick_ms() * FixedMs::kScale);
}

void TaskEngine::write_process_log(const std::string& text) {
    if (state.process_log) {
        state.process_log->write_line(
            format_date_time(platform.clock, platform.clock.now(), "Hh:Nn:Ss") + text);
        // Read while the run goes (tail -f), and kept if the program dies.
        state.process_log->flush();
    }
}

void TaskEngine::set_grid_text(std::int32_t server, int column, const std::string& text) {
    if (GridCell* cell = grid_cell(controls.Grid_server_stats, server, column)) {
        cell->text = text;
    }
}

void TaskEngine::show_server_out_of_service(std::int32_t server) {
    if (GridCell* cell = grid_cell(controls.Grid_server_stats, server, kGridEnabledColumn)) {
        cell->back_color = kColorRed;
    }
}

}  // namespace zelkon
