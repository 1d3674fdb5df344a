#include "ProcessReader.h"

#include "WhyUnreadable.h"

#include <windows.h>

namespace {

constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

} // namespace

// Reading and querying only: more rights would fail for more processes and
// would hand the viewer rights to change the game.
ProcessReader::ProcessReader(std::int32_t processId)
    : processId_(processId),
      handle_(::OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, DWORD(processId)))
{
    if (!handle_)
        refusal_ = WhyUnreadable(processId, int(::GetLastError()));
}

ProcessReader::~ProcessReader()
{
    if (handle_)
        ::CloseHandle(handle_);
}

bool ProcessReader::IsRunning() const
{
    DWORD code = 0;
    return handle_ && ::GetExitCodeProcess(handle_, &code) && code == STILL_ACTIVE;
}

std::vector<MemoryRegion> ProcessReader::WritableRegions() const
{
    std::vector<MemoryRegion> regions;
    if (!handle_)
        return regions;
    MEMORY_BASIC_INFORMATION region{};
    for (std::uint64_t at = 0;
         ::VirtualQueryEx(handle_, reinterpret_cast<LPCVOID>(std::uintptr_t(at)), &region, sizeof region) == sizeof region;) {
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
    for (std::size_t i = 0; i < count; ++i) {
        SIZE_T read = 0;
        pieces[i].got = handle_ && ::ReadProcessMemory(handle_, reinterpret_cast<LPCVOID>(std::uintptr_t(pieces[i].address)),
                                                       pieces[i].into, pieces[i].size, &read)
                            ? std::size_t(read)
                            : 0;
        if (pieces[i].got == 0 && handle_ && ::GetLastError() == ERROR_PARTIAL_COPY)
            pieces[i].got = std::size_t(read);
    }
}

std::size_t ProcessReader::Read(std::uint64_t address, void* into, std::size_t size) const
{
    ReadPiece piece{address, size, static_cast<unsigned char*>(into), 0};
    ReadPieces(&piece, 1);
    return piece.got;
}
