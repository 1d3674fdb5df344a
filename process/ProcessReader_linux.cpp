#include "process/ProcessReader.h"

#include "process/ProcessStartTime.h"
#include "process/WhyUnreadable.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

// The region of a "start-end perms offset device inode path" line of
// /proc/PID/maps or smaps, when it is one that can be read and written.
std::optional<MemoryRegion> WritableRegionOf(const std::string& line)
{
    std::istringstream fields(line);
    std::uint64_t start = 0, end = 0;
    char dash = 0;
    std::string permissions;
    if (!(fields >> std::hex >> start >> dash >> end >> permissions) || dash != '-' || permissions.size() < 4)
        return std::nullopt;
    if (permissions[0] == 'r' && permissions[1] == 'w' && end > start)
        return MemoryRegion{start, end};
    return std::nullopt;
}

// Whether the process holds a userfaultfd: only then can a page of it keep
// a read waiting. Unknown (its descriptors cannot be listed) counts as yes.
bool MayHoldUserfaultfd(const std::string& folder)
{
    std::error_code error;
    for (std::filesystem::directory_iterator fd(folder + "/fd", error), end; !error && fd != end; fd.increment(error)) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(fd->path(), unreadable) == "anon_inode:[userfaultfd]")
            return true;
    }
    return bool(error);
}

// The writable regions of /proc/PID/maps; of a process that may hold a
// userfaultfd, those of /proc/PID/smaps (ten times slower to read) less the
// regions whose pages it fills in itself when first touched (the flags
// "um", "uw" and "ui"), which a read could wait on for ever: their bytes are
// added to neverAnswering.
std::vector<MemoryRegion> ReadWriteMappings(std::int32_t processId, std::uint64_t& neverAnswering)
{
    const std::string folder = "/proc/" + std::to_string(processId);
    std::vector<MemoryRegion> regions;
    std::ifstream smaps(folder + (MayHoldUserfaultfd(folder) ? "/smaps" : "/maps"));
    std::string line;
    bool lastIsWritable = false;
    while (std::getline(smaps, line)) {
        if (line.rfind("VmFlags:", 0) == 0) {
            std::istringstream flags(line.substr(8));
            std::string flag;
            while (lastIsWritable && flags >> flag) {
                if (flag == "um" || flag == "uw" || flag == "ui") {
                    neverAnswering += regions.back().end - regions.back().start;
                    regions.pop_back();
                    break;
                }
            }
            lastIsWritable = false;
        } else if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < line.find(' ')) {
            const std::optional<MemoryRegion> region = WritableRegionOf(line);
            lastIsWritable = region.has_value();
            if (region)
                regions.push_back(*region);
        }
    }
    return MergeTouchingRegions(std::move(regions));
}

// process_vm_readv stops at the first remote piece it cannot read in full
// and tells how many bytes it read before: the pieces up to there are
// whole, that one partly read.
std::size_t ReadBatch(pid_t processId, ReadPiece* pieces, std::size_t count, int& error)
{
    thread_local std::vector<iovec> local, remote;
    local.resize(count);
    remote.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        local[i] = {pieces[i].into, pieces[i].size};
        remote[i] = {reinterpret_cast<void*>(static_cast<std::uintptr_t>(pieces[i].address)), pieces[i].size};
    }
    const ssize_t read = ::process_vm_readv(processId, local.data(), count, remote.data(), count, 0);
    if (read < 0) {
        error = errno;
        pieces[0].got = 0;
        return 1; // the first piece failed: the next batch starts after it
    }
    std::size_t left = std::size_t(read);
    std::size_t done = 0;
    for (; done < count && left >= pieces[done].size; ++done) {
        pieces[done].got = pieces[done].size;
        left -= pieces[done].size;
    }
    if (done < count) {
        pieces[done].got = left;
        ++done;
    }
    return done;
}

} // namespace

// Whether the process may be read is asked at address 0, which is never
// mapped: a real read could be of memory that never answers.
ProcessReader::ProcessReader(std::int32_t processId)
    : processId_(processId), startTime_(ProcessStartTime(std::uint32_t(processId)))
{
    unsigned char probe = 0;
    ReadPiece nothing{0, 1, &probe, 0};
    int error = 0;
    ReadBatch(processId, &nothing, 1, error);
    if (error == EFAULT || nothing.got == 1)
        return; // readable (address 0 mapped where the system allows it)
    // Some systems refuse the call (seccomp filters, old kernels) where the file is allowed.
    opened_ = ::open(("/proc/" + std::to_string(processId) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    if (opened_ >= 0) {
        const ssize_t read = ::pread(int(opened_), &probe, 1, 0);
        if ((read < 0 && errno == EIO) || read == 1)
            return; // readable
        error = read < 0 ? errno : ESRCH; // no memory at all: the process has ended
        ::close(int(opened_));
        opened_ = -1;
    } else {
        error = errno;
    }
    refusal_ = WhyUnreadable(processId, error);
}

ProcessReader::~ProcessReader()
{
    if (opened_ >= 0)
        ::close(int(opened_));
}

bool ProcessReader::IsRunning() const
{
    return startTime_ && ProcessStartTime(std::uint32_t(processId_)) == startTime_;
}

std::vector<MemoryRegion> ProcessReader::WritableRegions(std::uint64_t* neverAnsweringBytes) const
{
    std::uint64_t neverAnswering = 0;
    std::vector<MemoryRegion> regions = ReadWriteMappings(processId_, neverAnswering);
    if (neverAnsweringBytes)
        *neverAnsweringBytes = neverAnswering;
    return regions;
}

void ProcessReader::ReadPieces(ReadPiece* pieces, std::size_t count) const
{
    if (!refusal_.empty()) {
        for (std::size_t i = 0; i < count; ++i)
            pieces[i].got = 0;
        return;
    }
    if (opened_ >= 0) {
        for (std::size_t i = 0; i < count; ++i) {
            const ssize_t read = ::pread(int(opened_), pieces[i].into, pieces[i].size, off_t(pieces[i].address));
            pieces[i].got = read > 0 ? std::size_t(read) : 0;
        }
        return;
    }
    int error = 0;
    for (std::size_t at = 0; at < count;)
        at += ReadBatch(processId_, pieces + at, std::min<std::size_t>(count - at, IOV_MAX), error);
}

std::size_t ProcessReader::Read(std::uint64_t address, void* into, std::size_t size) const
{
    ReadPiece piece{address, size, static_cast<unsigned char*>(into), 0};
    ReadPieces(&piece, 1);
    return piece.got;
}
