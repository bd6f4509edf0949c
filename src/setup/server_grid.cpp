#include "setup/server_grid.h"

#include "model/Module_zelkon_cluster.h"
#include "setup/server_setup.h"

namespace zelkon {
namespace {

constexpr int kGridColumns = 6;
constexpr int kEnabledColumnWidth = 900;

}  // namespace

void ServerSetup::setup_display_grid() {
    GridControl& grid = controls.Grid_server_stats;
    grid.set_rows(servers.num_task_servers() + 1);
    grid.set_cols(kGridColumns);
    // Halves to even, as the form's arithmetic rounds.
    int wide = whole_number(controls.Grid_server_stats_width / 5.0 - 300);
    grid.col_widths = {wide, kEnabledColumnWidth, wide, wide, wide, wide};
    const char* headers[kGridColumns] = {"Server Name",          "Enabled",
                                         "Total Tasks Run",      "Data points/min",
                                         "Total Run Time (min)", "Total Overhead (s)"};
    for (int col = 0; col < kGridColumns; ++col) {
        grid.cell(0, col).text = headers[col];
    }
    for (std::int32_t i = 1; i <= servers.num_task_servers(); ++i) {
        const TaskServer& server = servers.task_servers[i];
        grid.cell(i, 0).text = grid_label(server);
        grid.cell(i, kGridEnabledColumn).back_color = kColorGreen;
    }
}

void ServerSetup::set_enabled_color(std::int32_t server, std::uint32_t color) {
    controls.Grid_server_stats.cell(server, kGridEnabledColumn).back_color = color;
}

std::string grid_label(const TaskServer& server) {
    return server.name + "/" + format_number(server.instance, "0") + "/" +
           format_number(server.threads, "0");
}

std::vector<std::string> unusable_task_servers(const ServerTable& servers) {
    std::vector<std::string> names;
    for (const TaskServer& server : servers.task_servers) {
        if (server.failed) {
            names.push_back(grid_label(server));
        }
    }
    return names;
}

}  // namespace zelkon
