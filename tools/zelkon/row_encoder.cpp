#include "row_encoder.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "matrix_format.h"
#include "prism.h"

namespace zelkon_ref {

namespace {

// Rows handed out per round: enough to keep every thread busy, few enough to stream.
constexpr long long kRowsPerThreadAndRound = 4;

class RoundWorkers {
  public:
    RoundWorkers(const Survey& survey, size_t component, int threads)
        : survey_(survey), component_(component), kernels_(threads, RowKernel(survey.mesh)) {}

    // Fills records[d - start] for each data point d of start..end.
    void run(long long start, long long end, std::vector<std::string>& records) {
        next_ = start;
        start_ = start;
        end_ = end;
        records_ = &records;
        std::vector<std::jthread> pool;
        for (size_t t = 1; t < kernels_.size(); ++t) {
            pool.emplace_back([this, t] { work(t); });
        }
        work(0);
        pool.clear();  // joins
        if (failure_) {
            std::rethrow_exception(failure_);
        }
    }

  private:
    void work(size_t t) {
        try {
            std::vector<float> row;
            const Component& c = survey_.components[component_];
            for (long long d = next_++; d <= end_; d = next_++) {
                kernels_[t].compute(c.kernel, station_position(survey_.stations, d), row);
                (*records_)[d - start_] =
                    encode_row(static_cast<uint32_t>(d), row, survey_.threshold);
            }
        } catch (...) {
            std::lock_guard lock(failure_mutex_);
            failure_ = std::current_exception();
        }
    }

    const Survey& survey_;
    size_t component_;
    std::vector<RowKernel> kernels_;
    std::atomic<long long> next_{0};
    long long start_ = 0, end_ = 0;
    std::vector<std::string>* records_ = nullptr;
    std::mutex failure_mutex_;
    std::exception_ptr failure_;
};

}  // namespace

void encode_rows(const Survey& survey, size_t component, long long first, long long last,
                 int threads, const RecordSink& sink) {
    if (last < first) {
        return;
    }
    threads = static_cast<int>(std::clamp<long long>(threads, 1, last - first + 1));
    const long long round = threads * kRowsPerThreadAndRound;
    RoundWorkers workers(survey, component, threads);
    std::vector<std::string> records(round);
    for (long long start = first; start <= last; start += round) {
        long long end = std::min(last, start + round - 1);
        workers.run(start, end, records);
        for (long long d = start; d <= end; ++d) {
            sink(std::move(records[d - start]));
        }
    }
}

}  // namespace zelkon_ref
