#pragma once

#include <stdexcept>
#include <string>

namespace zelkon {

// An error raised to a caller's error handling, as the form's procedures
// report it: a number, a description and the source that raised it.
class ZelkonError : public std::runtime_error {
  public:
    ZelkonError(int number, std::string description, std::string source = "")
        : std::runtime_error(description),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)) {}

    int number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& source() const { return source_; }

  private:
    int number_;
    std::string description_;
    std::string source_;
};

// Error numbers shared by the controller's helpers.
inline constexpr int kErrorInvalidProcedureCall = 5;
inline constexpr int kErrorSubscriptOutOfRange = 9;
inline constexpr int kErrorOverflow = 6;
inline constexpr int kErrorFileNotFound = 53;
inline constexpr int kErrorPermissionDenied = 70;
inline constexpr int kErrorFileAccess = 75;
inline constexpr int kErrorPathNotFound = 76;
// A stop signal (SIGINT, SIGTERM) ended a wait.
inline constexpr int kErrorStoppedBySignal = 18;
inline constexpr int kErrorMachineUnavailable = 462;
// A run that cannot go on: every task server has failed, or an assembly kept
// ending without merging its task.
inline constexpr int kErrorNoTaskServerLeft = 1001;
inline constexpr int kErrorAssemblyFailed = 1002;

// The description of any exception, as shown after a procedure's fixed sentence.
inline std::string error_description(const std::exception& error) {
    if (auto* own = dynamic_cast<const ZelkonError*>(&error)) {
        return own->description();
    }
    return error.what();
}

}  // namespace zelkon
