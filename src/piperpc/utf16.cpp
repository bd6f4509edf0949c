#include "piperpc/utf16.h"

#include <QString>

namespace zelkon {

std::vector<std::uint8_t> to_utf16le(const std::string& text) {
    QString wide = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(wide.size()) * 2);
    for (QChar unit : wide) {
        bytes.push_back(static_cast<std::uint8_t>(unit.unicode() & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit.unicode() >> 8));
    }
    return bytes;
}

std::string from_utf16le(const std::vector<std::uint8_t>& bytes) {
    QString wide;
    wide.reserve(static_cast<qsizetype>(bytes.size() / 2));
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide.append(QChar(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8))));
    }
    // A lone trailing byte is not a character; it is shown, not dropped.
    if (bytes.size() % 2 != 0) {
        wide.append(QChar(0xFFFD));
    }
    return wide.toStdString();
}

}  // namespace zelkon
