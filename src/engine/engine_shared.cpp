#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"

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
    return FixedMs::from_scaled(clock.tick_ms() * FixedMs::kScale);
}

void TaskEngine::write_process_log(const std::string& text) {
    process_log.write(text);
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
