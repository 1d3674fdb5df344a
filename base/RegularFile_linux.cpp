#include "base/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegularFile::RegularFile(const std::filesystem::path& path)
{
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        foundNoRegularFile_ = errno == ENOENT || errno == ENOTDIR;
        openFailure_ = LastSystemErrorText();
        return;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        openFailure_ = LastSystemErrorText();
        ::close(descriptor);
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        foundNoRegularFile_ = true;
        openFailure_ = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : kNotARegularFile;
        ::close(descriptor);
        return;
    }
    handle_ = descriptor;
}

void RegularFile::Close()
{
    if (handle_ != kNoHandle)
        ::close(int(handle_));
    handle_ = kNoHandle;
}

std::int64_t RegularFile::Size() const
{
    struct stat status {};
    return IsOpen() && ::fstat(int(handle_), &status) == 0 ? std::int64_t(status.st_size) : 0;
}

std::int64_t RegularFile::ReadAt(std::int64_t offset, void* into, std::int64_t size) const
{
    auto* bytes = static_cast<char*>(into);
    std::int64_t got = 0;
    while (IsOpen() && got < size) {
        const ssize_t read = ::pread(int(handle_), bytes + got, std::size_t(size - got), off_t(offset + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += read;
    }
    return got;
}

std::string LastSystemErrorText()
{
    return std::strerror(errno);
}
