// Computes and compresses the matrix rows of a range of data points, on several threads.
#pragma once

#include <functional>
#include <string>

#include "survey.h"

namespace zelkon_ref {

// Receives each row record in data-point order.
using RecordSink = std::function<void(std::string&& record)>;

// Rows first..last (from 1) of one component. The records do not depend on the number
// of threads: every row is computed and compressed on its own.
void encode_rows(const Survey& survey, size_t component, long long first, long long last,
                 int threads, const RecordSink& sink);

}  // namespace zelkon_ref
