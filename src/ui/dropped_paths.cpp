#include "ui/dropped_paths.h"

#include <QMimeData>
#include <QUrl>

namespace zelkon {

std::optional<std::vector<std::string>> dropped_paths(const QMimeData& data) {
    if (!data.hasUrls()) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        paths.push_back((url.isLocalFile() ? url.toLocalFile() : url.toString()).toStdString());
    }
    return paths;
}

}  // namespace zelkon
