#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelkon {

// A text file open for line output. Every line ends in CR LF.
class TextWriter {
  public:
    virtual ~TextWriter() = default;
    // Writes text and then CR LF. Returns false when the write failed.
    virtual bool write_line(const std::string& text) = 0;
    // Writes text as it stands, without a line end.
    virtual bool write_text(const std::string& text) = 0;
    virtual void flush() = 0;
    // Flushes and closes the file; false when any write, the flush or the
    // close failed (a full disk shows only here).
    virtual bool close() = 0;
};

// The file-system object of the form: file and folder operations on paths.
// Folder paths may carry a trailing "/". Operations that can fail return
// false rather than throwing, so that callers decide what a failure means.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool file_exists(const std::string& path) const = 0;
    virtual bool folder_exists(const std::string& path) const = 0;
    // Creates one folder; its parent must exist. False when it could not be made.
    virtual bool create_folder(const std::string& path) = 0;
    virtual bool copy_file(const std::string& from, const std::string& to, bool overwrite) = 0;
    // Deletes the files matching a pattern whose last component may hold "*"
    // and "?". Without force, read-only files are kept. False when nothing matched
    // or a file could not be deleted.
    virtual bool delete_files(const std::string& pattern, bool force) = 0;
    // Renames a file, replacing any file of the new name at once.
    virtual bool rename_file(const std::string& from, const std::string& to) = 0;
    // Deletes a folder and everything below it.
    virtual bool delete_folder(const std::string& path, bool force) = 0;
    // Deletes a folder only when it holds nothing; false otherwise.
    virtual bool delete_empty_folder(const std::string& path) = 0;
    // Creates (or empties) a text file.
    virtual bool create_text_file(const std::string& path) = 0;
    // Size in bytes, or -1 when the file does not exist.
    virtual std::int64_t file_size(const std::string& path) const = 0;
    // Names (not paths) of the folders directly inside a folder, sorted.
    virtual std::vector<std::string> list_folders(const std::string& path) const = 0;

    // Reads a text file as lines; a line ends at CR LF, LF or CR. False when
    // the file cannot be read.
    virtual bool read_lines(const std::string& path, std::vector<std::string>& lines) const = 0;
    // Reads a whole file as it stands. False when it cannot be read.
    virtual bool read_text(const std::string& path, std::string& text) const = 0;
    // Opens a text file for line output, emptied first unless append is set.
    // Null when it cannot be opened.
    virtual std::unique_ptr<TextWriter> open_writer(const std::string& path, bool append) = 0;

    // Writes a whole text file of CR LF lines.
    bool write_lines(const std::string& path, const std::vector<std::string>& lines) {
        auto writer = open_writer(path, false);
        if (!writer) {
            return false;
        }
        for (const auto& line : lines) {
            if (!writer->write_line(line)) {
                return false;
            }
        }
        writer->flush();
        return true;
    }
};

}  // namespace zelkon
