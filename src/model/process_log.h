#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace zelkon {

// The run's process log: one line per event, after the time of day, while
// it is open.
class ProcessLog {
  public:
    ProcessLog(FileSystem& files, Clock& clock) : files_(files), clock_(clock) {}

    // Opens the file afresh; false when it cannot be written.
    bool open(const std::string& path);
    bool is_open() const { return writer_ != nullptr; }
    // A line after the time of day; nothing while closed.
    void write(const std::string& text);
    // A line as it stands.
    void write_plain(const std::string& line);
    void close() { writer_.reset(); }

  private:
    FileSystem& files_;
    Clock& clock_;
    std::unique_ptr<TextWriter> writer_;
};

}  // namespace zelkon
