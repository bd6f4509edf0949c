// Kernel evaluations per second (one evaluation = one cell's field at one station),
// for a mesh like the demo's, alone and with compression, on one and several threads.
#include <benchmark/benchmark.h>

#include "matrix_format.h"
#include "prism.h"
#include "row_encoder.h"

namespace {

zelkon_ref::Survey demo_survey() {
    zelkon_ref::Survey s;
    s.stations = {25, 25, 50, 50, 20, 20, 5};
    s.mesh = {-200, -200, 0, 43.75, 43.75, 25, 32, 32, 12};
    s.components = {{"gz", zelkon_ref::Kernel::gz, 1}};
    return s;
}

void set_rate(benchmark::State& state, double evaluations) {
    state.counters["evaluations/s"] = benchmark::Counter(evaluations, benchmark::Counter::kIsRate);
}

// The field of each cell from its own eight corners, as a single prism.
void BM_SinglePrism(benchmark::State& state) {
    const zelkon_ref::Box box{-20, 20, -30, 10, -60, -35};
    double x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(prism_field(zelkon_ref::Kernel::gz, {x, 7, 3}, box));
        x += 1e-3;
    }
    set_rate(state, static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SinglePrism);

// A whole row, sharing corners between neighbouring cells.
void BM_Row(benchmark::State& state) {
    const zelkon_ref::Survey s = demo_survey();
    const auto kernel_kind = static_cast<zelkon_ref::Kernel>(state.range(0));
    zelkon_ref::RowKernel kernel(s.mesh);
    std::vector<float> row;
    long long datum = 1;
    for (auto _ : state) {
        kernel.compute(kernel_kind, zelkon_ref::station_position(s.stations, datum), row);
        benchmark::DoNotOptimize(row.data());
        datum = datum % s.stations.count() + 1;
    }
    set_rate(state, static_cast<double>(state.iterations() * s.mesh.cells()));
}
BENCHMARK(BM_Row)->Arg(0)->Arg(1)->ArgName("kernel(0=gz,1=gx)");

void BM_CompressRow(benchmark::State& state) {
    const zelkon_ref::Survey s = demo_survey();
    zelkon_ref::RowKernel kernel(s.mesh);
    std::vector<float> row;
    kernel.compute(zelkon_ref::Kernel::gz, zelkon_ref::station_position(s.stations, 150), row);
    size_t stored = 0;
    for (auto _ : state) {
        stored = zelkon_ref::encode_row(150, row, 0).size();
    }
    state.SetBytesProcessed(state.iterations() * row.size() * 4);
    state.counters["ratio"] = static_cast<double>(row.size() * 4) / static_cast<double>(stored);
}
BENCHMARK(BM_CompressRow);

// What a task does for 40 data points: compute and compress, on the given threads.
void BM_TaskRows(benchmark::State& state) {
    const zelkon_ref::Survey s = demo_survey();
    const int threads = static_cast<int>(state.range(0));
    const long long rows = 40;
    for (auto _ : state) {
        size_t bytes = 0;
        zelkon_ref::encode_rows(s, 0, 1, rows, threads,
                                [&bytes](std::string&& record) { bytes += record.size(); });
        benchmark::DoNotOptimize(bytes);
    }
    set_rate(state, static_cast<double>(state.iterations() * rows * s.mesh.cells()));
}
BENCHMARK(BM_TaskRows)->Arg(1)->Arg(2)->Arg(4)->ArgName("threads")->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
