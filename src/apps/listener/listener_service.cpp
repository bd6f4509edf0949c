#include "apps/listener/listener_service.h"

#include <ctime>
#include <iomanip>

#include "piperpc/utf16.h"

namespace zelkon {
namespace {

// The controller offers 256 bytes for a reply: 128 UTF-16 characters.
constexpr std::size_t kLongestReply = 128;

std::string shorten(const std::string& text) {
    return text.size() <= kLongestReply ? text : text.substr(0, kLongestReply);
}

// Whole UTF-16LE code units, every surrogate in a pair.
bool is_utf16le(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    bool expect_low = false;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (low != expect_low) {
            return false;
        }
        expect_low = high;
    }
    return !expect_low;
}

// Text that a shell should never see: not UTF-16LE, or holding control characters.
std::string why_unfit(const std::vector<std::uint8_t>& request, const std::string& text) {
    if (request.empty()) {
        return "empty request";
    }
    if (!is_utf16le(request)) {
        return "the request is not UTF-16LE text";
    }
    // A tab too: the shell would split the command line at it.
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            return "the request holds a control character";
        }
    }
    return "";
}

// The request as one line of the log, whatever characters it holds.
std::string printable(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return line;
}

}  // namespace

ListenerService::ListenerService(ProcessStarter& processes, const ComputerName& computer_name,
                                 Clock& clock, std::ostream& log, int max_pipes)
    : processes_(processes),
      computer_name_(computer_name.get()),
      clock_(clock),
      log_(log),
      max_pipes_(max_pipes) {}

std::vector<std::uint8_t> ListenerService::answer(int pipe,
                                                  const std::vector<std::uint8_t>& request) {
    std::string reply = reply_to(request);
    log("pipe " + std::to_string(pipe) + ": " + printable(from_utf16le(request)) + " -> " + reply);
    return to_utf16le(shorten(reply));
}

std::string ListenerService::reply_to(const std::vector<std::uint8_t>& request) {
    std::string text = from_utf16le(request);
    if (text == "Num pipes:") {
        return "Server: " + computer_name_ + " Max pipes: " + std::to_string(max_pipes_);
    }
    std::string unfit = why_unfit(request, text);
    if (!unfit.empty()) {
        return "Error: " + unfit;
    }
    return start_command(text);
}

std::string ListenerService::start_command(const std::string& command) {
    forget_finished();
    StartResult result = processes_.start(command, "");
    if (!result.started) {
        return "Error: " + result.error;
    }
    started_.push_back(result.process_id);
    return "Started process " + std::to_string(result.process_id);
}

// Collects the commands that have ended, so a long-running listener keeps no
// record of them.
void ListenerService::forget_finished() {
    std::erase_if(started_, [this](int process_id) {
        if (processes_.is_running(process_id)) {
            return false;
        }
        processes_.wait(process_id);
        return true;
    });
}

void ListenerService::log(const std::string& text) {
    std::time_t seconds = static_cast<std::time_t>(clock_.now().epoch_seconds);
    std::tm local{};
    localtime_r(&seconds, &local);
    log_ << std::put_time(&local, "%Y-%m-%d %H:%M:%S") << " " << text << std::endl;
}

}  // namespace zelkon
