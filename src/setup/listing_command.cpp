#include "setup/listing_command.h"

#include "platform/shell_words.h"

namespace zelkon {

std::string listing_command(const std::string& folder, const std::vector<std::string>& programs) {
    std::string part = shell_word(folder + "dir.lst.part");
    std::string command = "{ dir " + shell_word(folder) + "*.*";
    for (const std::string& program : programs) {
        command += "; command -v " + shell_word(program) + " >/dev/null || echo " +
                   shell_word(kProgramMissing + program);
    }
    // Renamed when whole: the controller reads it as soon as it appears.
    return command + "; } > " + part + "; mv -f " + part + " " + shell_word(folder + "dir.lst");
}

std::vector<std::string> missing_programs(const std::vector<std::string>& listing) {
    std::vector<std::string> missing;
    for (const std::string& line : listing) {
        if (line.starts_with(kProgramMissing)) {
            missing.push_back(line.substr(kProgramMissing.size()));
        }
    }
    return missing;
}

}  // namespace zelkon
