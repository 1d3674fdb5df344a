#include "base/RegularFile.h"

#include <algorithm>
#include <new>
#include <utility>

WholeFile ReadWholeRegularFile(const std::filesystem::path& path, std::int64_t maxBytes)
{
    WholeFile whole;
    const RegularFile file(path);
    if (!file.IsOpen()) {
        whole.failure = file.OpenFailure();
        return whole;
    }
    // The size is a hint only: the file may change while it is read, so
    // read until its end, one byte past the limit at most.
    std::int64_t size = std::min(file.Size(), maxBytes + 1);
    try {
        whole.bytes.resize(std::size_t(size));
        std::int64_t got = file.ReadAt(0, whole.bytes.data(), size);
        while (got == size && size <= maxBytes) {
            size = std::min(std::max<std::int64_t>(size * 2, 4096), maxBytes + 1);
            whole.bytes.resize(std::size_t(size));
            got += file.ReadAt(got, whole.bytes.data() + got, size - got);
        }
        whole.bytes.resize(std::size_t(got));
    } catch (const std::bad_alloc&) {
        whole.bytes = std::string();
        whole.failure = kFileTooLarge;
        return whole;
    }
    if (std::int64_t(whole.bytes.size()) > maxBytes) {
        whole.bytes = std::string();
        whole.failure = kFileTooLarge;
        return whole;
    }
    whole.read = true;
    return whole;
}

RegularFile::~RegularFile()
{
    Close();
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), openFailure_(std::move(other.openFailure_)),
      foundNoRegularFile_(other.foundNoRegularFile_)
{
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kNoHandle);
        openFailure_ = std::move(other.openFailure_);
        foundNoRegularFile_ = other.foundNoRegularFile_;
    }
    return *this;
}
