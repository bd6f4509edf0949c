#pragma once

#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace zelkon {

// The paths of a drop's URL list (text/uri-list), in order: local files as
// paths, anything else as its URL text. Nothing when the drop has no URL list.
std::optional<std::vector<std::string>> dropped_paths(const QMimeData& data);

}  // namespace zelkon
