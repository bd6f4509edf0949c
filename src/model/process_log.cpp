#include "model/process_log.h"

#include "model/Module_zelkon_cluster.h"

namespace zelkon {

bool ProcessLog::open(const std::string& path) {
    writer_ = files_.open_writer(path, false);
    return writer_ != nullptr;
}

void ProcessLog::write(const std::string& text) {
    write_plain(format_date_time(clock_, clock_.now(), "Hh:Nn:Ss") + text);
}

void ProcessLog::write_plain(const std::string& line) {
    if (writer_) {
        writer_->write_line(line);
        // Each line reaches the file as it is written: a crash loses nothing
        // and `tail -f` follows the run.
        writer_->flush();
    }
}

}  // namespace zelkon
