#pragma once
// A regular file opened for reading only.
//
// The open never waits: a FIFO, a device or a socket at the path is opened
// without blocking (or not at all), then refused, because the check is made
// on the open file itself, not on the path, and nothing can be swapped in
// between. Other programs may read and write the file meanwhile. Reads are
// positioned, so two threads may read one RegularFile at once.

#include <cstdint>
#include <filesystem>
#include <string>

class RegularFile {
public:
    explicit RegularFile(const std::filesystem::path& path);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return handle_ != kNoHandle; }
    // Why the file is not open: the system's text for the error ("No such
    // file or directory", "Permission denied"...), or kNotARegularFile.
    const std::string& OpenFailure() const { return openFailure_; }
    // Not open because no regular file is at the path (none at all, a
    // folder, a device, a FIFO...), rather than because one could not be
    // opened.
    bool FoundNoRegularFile() const { return foundNoRegularFile_; }

    // The size now; 0 when it cannot be had.
    std::int64_t Size() const;
    // Reads up to size bytes at offset; returns how many the file had there
    // (fewer at its end, 0 past it or on a read error).
    std::int64_t ReadAt(std::int64_t offset, void* into, std::int64_t size) const;

private:
    static constexpr std::intptr_t kNoHandle = -1;
    void Close();

    std::intptr_t handle_ = kNoHandle; // the platform's descriptor or handle
    std::string openFailure_;
    bool foundNoRegularFile_ = false;
};

inline constexpr char kNotARegularFile[] = "Not a regular file";

// The system's text for the last error of the calling thread (errno,
// GetLastError), without trailing blanks, line breaks and dots.
std::string LastSystemErrorText();

// A whole regular file read into memory, or why it could not be.
struct WholeFile {
    bool read = false;
    std::string bytes;
    std::string failure; // when not read: the system's text, kNotARegularFile or kFileTooLarge
};

inline constexpr char kFileTooLarge[] = "File too large";

// Reads at most maxBytes; a file that holds more (also one that grows past
// maxBytes while being read) fails with kFileTooLarge.
WholeFile ReadWholeRegularFile(const std::filesystem::path& path, std::int64_t maxBytes);
