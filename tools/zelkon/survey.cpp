#include "survey.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "error.h"
#include "text.h"

namespace zelkon_ref {

namespace {

[[noreturn]] void fail(const std::string& source, const KeyValue& entry, const std::string& what) {
    throw ZelkonError(source + " line " + std::to_string(entry.line) + ": " + entry.key + " " +
                      what + ", found \"" + entry.value + "\"");
}

std::vector<double> reals(const std::string& source, const KeyValue& entry, size_t count,
                          bool positive) {
    std::vector<std::string> items = split_items(entry.value);
    std::vector<double> values;
    for (const std::string& item : items) {
        auto value = parse_real(item);
        if (!value || (positive && *value <= 0)) {
            break;
        }
        values.push_back(*value);
    }
    if (items.size() != count || values.size() != count) {
        fail(source, entry,
             "needs " + std::to_string(count) + (positive ? " numbers above 0" : " numbers"));
    }
    return values;
}

std::vector<int> counts(const std::string& source, const KeyValue& entry, size_t count) {
    std::vector<std::string> items = split_items(entry.value);
    std::vector<int> values;
    for (const std::string& item : items) {
        auto value = parse_integer(item);
        if (!value || *value < 1 || *value > 1000000000) {
            break;
        }
        values.push_back(static_cast<int>(*value));
    }
    if (items.size() != count || values.size() != count) {
        fail(source, entry, "needs " + std::to_string(count) + " whole numbers above 0");
    }
    return values;
}

bool valid_suffix(const std::string& suffix) {
    if (suffix.empty() || suffix.size() > 16) {
        return false;
    }
    for (char c : suffix) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    // The controller stops at any init-log line containing "Error".
    return suffix.find("Error") == std::string::npos;
}

Component component(const std::string& source, const KeyValue& entry) {
    std::vector<std::string> items = split_items(entry.value);
    if (items.size() != 3) {
        fail(source, entry, "needs a suffix, a kernel (gz, gx or gy) and a data type code");
    }
    Component c;
    c.suffix = items[0];
    if (!valid_suffix(c.suffix)) {
        fail(source, entry,
             "suffix must be 1 to 16 letters, digits, \"_\" or \"-\" and not contain \"Error\"");
    }
    if (items[1] == "gz") {
        c.kernel = Kernel::gz;
    } else if (items[1] == "gx") {
        c.kernel = Kernel::gx;
    } else if (items[1] == "gy") {
        c.kernel = Kernel::gy;
    } else {
        fail(source, entry, "kernel must be gz, gx or gy");
    }
    auto code = parse_integer(items[2]);
    if (!code || *code < 0 || *code > 999999) {
        fail(source, entry, "data type code must be a whole number from 0 to 999999");
    }
    c.type_code = static_cast<int>(*code);
    return c;
}

void apply(Survey& s, const std::string& source, const KeyValue& e) {
    const std::string& k = e.key;
    if (k == "title") {
        s.title = e.value;
    } else if (k == "station_origin") {
        auto v = reals(source, e, 2, false);
        s.stations.x0 = v[0];
        s.stations.y0 = v[1];
    } else if (k == "station_spacing") {
        auto v = reals(source, e, 2, true);
        s.stations.dx = v[0];
        s.stations.dy = v[1];
    } else if (k == "station_count") {
        auto v = counts(source, e, 2);
        s.stations.nx = v[0];
        s.stations.ny = v[1];
    } else if (k == "station_height") {
        s.stations.height = reals(source, e, 1, false)[0];
    } else if (k == "mesh_origin") {
        auto v = reals(source, e, 3, false);
        s.mesh.x0 = v[0];
        s.mesh.y0 = v[1];
        s.mesh.z_top = v[2];
    } else if (k == "cell_size") {
        auto v = reals(source, e, 3, true);
        s.mesh.dx = v[0];
        s.mesh.dy = v[1];
        s.mesh.dz = v[2];
    } else if (k == "cell_count") {
        auto v = counts(source, e, 3);
        s.mesh.nx = v[0];
        s.mesh.ny = v[1];
        s.mesh.nz = v[2];
    } else if (k == "threshold") {
        double t = reals(source, e, 1, false)[0];
        if (t < 0 || t >= 1) {
            fail(source, e, "must be at least 0 and below 1");
        }
        s.threshold = t;
    } else {
        throw ZelkonError(source + " line " + std::to_string(e.line) + ": unknown key \"" + k +
                          "\"");
    }
}

void check_whole(const Survey& s, const std::string& source, const std::set<std::string>& seen) {
    for (const char* key : {"station_origin", "station_spacing", "station_count", "station_height",
                            "mesh_origin", "cell_size", "cell_count"}) {
        if (!seen.count(key)) {
            throw ZelkonError(source + ": the key \"" + key + "\" is missing");
        }
    }
    if (s.components.empty()) {
        throw ZelkonError(source + ": no \"component\" line; give 1 to 6 of them");
    }
    if (s.stations.count() > kMaxStations) {
        throw ZelkonError(source + ": " + std::to_string(s.stations.count()) +
                          " stations are too many; at most " + std::to_string(kMaxStations));
    }
    if (s.mesh.cells() > kMaxCellsPerRow) {
        throw ZelkonError(source + ": " + std::to_string(s.mesh.cells()) +
                          " cells are too many; at most " + std::to_string(kMaxCellsPerRow));
    }
    if (s.stations.height <= s.mesh.z_top) {
        throw ZelkonError(source + ": station_height must be above the top of the mesh (" +
                          trim(std::to_string(s.mesh.z_top)) + ")");
    }
}

}  // namespace

const char* kernel_name(Kernel kernel) {
    switch (kernel) {
        case Kernel::gx:
            return "gx";
        case Kernel::gy:
            return "gy";
        default:
            return "gz";
    }
}

Survey read_survey(const std::vector<KeyValue>& entries, const std::string& source) {
    Survey survey;
    std::set<std::string> seen;
    std::set<std::string> suffixes;
    for (const KeyValue& e : entries) {
        if (e.key == "component") {
            Component c = component(source, e);
            if (survey.components.size() == kMaxComponents) {
                fail(source, e, "is one too many; at most 6 components");
            }
            if (!suffixes.insert(c.suffix).second) {
                fail(source, e, "repeats the suffix \"" + c.suffix + "\"");
            }
            survey.components.push_back(c);
            continue;
        }
        if (!seen.insert(e.key).second) {
            throw ZelkonError(source + " line " + std::to_string(e.line) + ": \"" + e.key +
                              "\" is given twice");
        }
        apply(survey, source, e);
    }
    check_whole(survey, source, seen);
    return survey;
}

std::string survey_text(const Survey& s) {
    char buffer[512];
    std::string text;
    if (!s.title.empty()) {
        text += "title = " + s.title + "\n";
    }
    std::snprintf(buffer, sizeof buffer,
                  "station_origin = %.17g %.17g\nstation_spacing = %.17g %.17g\n"
                  "station_count = %d %d\nstation_height = %.17g\n",
                  s.stations.x0, s.stations.y0, s.stations.dx, s.stations.dy, s.stations.nx,
                  s.stations.ny, s.stations.height);
    text += buffer;
    std::snprintf(buffer, sizeof buffer,
                  "mesh_origin = %.17g %.17g %.17g\ncell_size = %.17g %.17g %.17g\n"
                  "cell_count = %d %d %d\nthreshold = %.17g\n",
                  s.mesh.x0, s.mesh.y0, s.mesh.z_top, s.mesh.dx, s.mesh.dy, s.mesh.dz, s.mesh.nx,
                  s.mesh.ny, s.mesh.nz, s.threshold);
    text += buffer;
    for (const Component& c : s.components) {
        text += "component = " + c.suffix + " " + kernel_name(c.kernel) + " " +
                std::to_string(c.type_code) + "\n";
    }
    return text;
}

}  // namespace zelkon_ref
