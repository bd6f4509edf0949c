#pragma once

#include <QString>

namespace zelkon {

// The static labels, in the order the model lists their texts.
enum class StaticLabel {
    servers,
    local_work_drive_folder,
    inversion_location,
    job_id,
    max_tasks,
    network_share,
    tasks,
    tasks_pending,
    running,
    done,
    assembled,
    overhead,
    elapsed_time,
    expected_duration,
    expected_finish_time,
    time_remaining,
    speedup,
    mtx_array,
    data,
    expected_mtx_size,
    compression,
};

// The model's text of a static label.
QString static_label_text(StaticLabel label);

}  // namespace zelkon
