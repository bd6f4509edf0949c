#include "ui/display_text.h"

namespace zelkon {

QString log_lines_of(const std::string& piece, char shown_before) {
    std::string lines;
    lines.reserve(piece.size());
    char previous = shown_before;
    for (char c : piece) {
        if (c == '\r') {
            lines += '\n';
        } else if (c != '\n' || previous != '\r') {
            lines += c;
        }
        previous = c;
    }
    return QString::fromStdString(lines);
}

QString lines_of(const std::string& text) {
    return log_lines_of(text, '\0');
}

std::string text_of_lines(const QString& lines) {
    std::string text = lines.toStdString();
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            crlf += "\r\n";
        } else {
            crlf += c;
        }
    }
    return crlf;
}

}  // namespace zelkon
