#pragma once

#include <QString>
#include <string>

namespace zelkon {

// The run log breaks paragraphs with a lone "\r"; a "\r\n" pair counts once.
// Turns a piece of the log into the "\n" lines of a text widget. The last
// character shown before the piece decides whether a leading "\n" completes a
// "\r\n" pair that started in the previous piece.
QString log_lines_of(const std::string& piece, char shown_before);

// A multi-line box holds "\r\n" line ends (a lone "\r" or "\n" also ends a
// line); a text widget holds "\n".
QString lines_of(const std::string& text);
std::string text_of_lines(const QString& lines);

}  // namespace zelkon
