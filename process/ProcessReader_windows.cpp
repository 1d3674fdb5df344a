#include "process/ProcessReader.h"

#include "process/WhyUnreadable.h"

#include <windows.h>

#include <algorithm>

namespace {

// The process's handle kept as ProcessReader keeps it; null when none.
HANDLE Handle(std::intptr_t opened)
{
    return opened > 0 ? reinterpret_cast<HANDLE>(opened) : nullptr;
}

constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool IsReadable(const MEMORY_BASIC_INFORMATION& region)
{
    return region.State == MEM_COMMIT && region.Protect != 0 && !(region.Protect & (PAGE_NOACCESS | PAGE_GUARD));
}

// The regions of another process as the system describes them, the last one
// kept: the pieces of a batch come in ascending order and mostly share one.
class RegionWalk {
public:
    explicit RegionWalk(HANDLE process) : process_(process) {}

    // How many of the `size` bytes from `address` lie in committed memory
    // the process may read, without a gap.
    std::size_t ReadableFrom(std::uint64_t address, std::size_t size)
    {
        const std::uint64_t end = address + size;
        std::uint64_t at = address;
        while (at < end && Describe(at) && IsReadable(region_))
            at = RegionEnd();
        return std::size_t(std::min(at, end) - address);
    }

private:
    std::uint64_t RegionStart() const { return std::uintptr_t(region_.BaseAddress); }
    std::uint64_t RegionEnd() const { return RegionStart() + region_.RegionSize; }

    // region_ then holds the region `address` lies in.
    bool Describe(std::uint64_t address)
    {
        if (known_ && address >= RegionStart() && address < RegionEnd())
            return true;
        known_ = ::VirtualQueryEx(process_, reinterpret_cast<LPCVOID>(std::uintptr_t(address)), &region_,
                                  sizeof region_) == sizeof region_ &&
                 RegionEnd() > address;
        return known_;
    }

    HANDLE process_;
    MEMORY_BASIC_INFORMATION region_{};
    bool known_ = false;
};

// Only the bytes the regions allow are asked for: Windows may fail a read
// that runs into a page it cannot read without telling how far it got, and
// Wine reads freed pages as if they were still there.
std::size_t ReadAsFarAsItCan(HANDLE process, const ReadPiece& piece, RegionWalk& regions)
{
    const std::size_t readable = regions.ReadableFrom(piece.address, piece.size);
    if (readable == 0)
        return 0;
    SIZE_T read = 0;
    const BOOL whole = ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t(piece.address)), piece.into,
                                           readable, &read);
    return whole || ::GetLastError() == ERROR_PARTIAL_COPY ? std::size_t(read) : 0;
}

} // namespace

// Reading and querying only: more rights would fail for more processes and
// would hand the viewer rights to change the game. A process that has ended
// can still be opened while someone holds a handle to it: it is refused as
// ended all the same.
ProcessReader::ProcessReader(std::int32_t processId)
    : processId_(processId),
      opened_(reinterpret_cast<std::intptr_t>(::OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, DWORD(processId))))
{
    if (!Handle(opened_)) {
        refusal_ = WhyUnreadable(processId, int(::GetLastError()));
        return;
    }
    int error = 0;
    if (!IsRunning()) {
        error = ERROR_INVALID_PARAMETER; // what opening a process that is gone reports
    } else {
        const std::vector<MemoryRegion> regions = WritableRegions();
        unsigned char probe = 0;
        SIZE_T read = 0;
        if (!regions.empty() &&
            !::ReadProcessMemory(Handle(opened_), reinterpret_cast<LPCVOID>(std::uintptr_t(regions.front().start)), &probe, 1,
                                 &read))
            error = int(::GetLastError());
    }
    if (error == 0)
        return;
    refusal_ = WhyUnreadable(processId, error);
    ::CloseHandle(Handle(opened_));
    opened_ = -1;
}

ProcessReader::~ProcessReader()
{
    if (Handle(opened_))
        ::CloseHandle(Handle(opened_));
}

bool ProcessReader::IsRunning() const
{
    DWORD code = 0;
    return Handle(opened_) && ::GetExitCodeProcess(Handle(opened_), &code) && code == STILL_ACTIVE;
}

std::vector<MemoryRegion> ProcessReader::WritableRegions(std::uint64_t* neverAnsweringBytes) const
{
    if (neverAnsweringBytes)
        *neverAnsweringBytes = 0; // Windows has no memory a read waits on
    std::vector<MemoryRegion> regions;
    if (!Handle(opened_))
        return regions;
    MEMORY_BASIC_INFORMATION region{};
    for (std::uint64_t at = 0;
         ::VirtualQueryEx(Handle(opened_), reinterpret_cast<LPCVOID>(std::uintptr_t(at)), &region, sizeof region) == sizeof region;) {
        const std::uint64_t start = std::uintptr_t(region.BaseAddress);
        const std::uint64_t end = start + region.RegionSize;
        if (region.State == MEM_COMMIT && (region.Protect & kWritable) && !(region.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
            regions.push_back({start, end});
        if (end <= at)
            break;
        at = end;
    }
    return MergeTouchingRegions(std::move(regions));
}

void ProcessReader::ReadPieces(ReadPiece* pieces, std::size_t count) const
{
    RegionWalk regions(Handle(opened_));
    for (std::size_t i = 0; i < count; ++i)
        pieces[i].got = Handle(opened_) ? ReadAsFarAsItCan(Handle(opened_), pieces[i], regions) : 0;
}

std::size_t ProcessReader::Read(std::uint64_t address, void* into, std::size_t size) const
{
    ReadPiece piece{address, size, static_cast<unsigned char*>(into), 0};
    ReadPieces(&piece, 1);
    return piece.got;
}
