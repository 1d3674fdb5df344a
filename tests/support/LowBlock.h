#pragma once
// Memory of the test's own process below 4 GiB, where a reader of this
// process and the finders look for planted pairs.

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

inline std::int32_t ThisProcess()
{
#ifdef _WIN32
    return std::int32_t(::GetCurrentProcessId());
#else
    return std::int32_t(::getpid());
#endif
}

// Writable memory below 4 GiB, filled with 0xFF (no pair a test looks for).
class LowBlock {
public:
    explicit LowBlock(std::size_t size) : size_(size)
    {
#ifdef _WIN32
        for (std::uintptr_t at = 0x20000000; !bytes_ && at < 0xF0000000; at += 0x10000)
            bytes_ = static_cast<unsigned char*>(
                ::VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
        void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        bytes_ = block == MAP_FAILED ? nullptr : static_cast<unsigned char*>(block);
#endif
        if (bytes_)
            std::memset(bytes_, 0xFF, size);
    }
    ~LowBlock() { Free(); }
    LowBlock(const LowBlock&) = delete;
    LowBlock& operator=(const LowBlock&) = delete;

    void Free()
    {
        if (!bytes_)
            return;
#ifdef _WIN32
        ::VirtualFree(bytes_, 0, MEM_RELEASE);
#else
        ::munmap(bytes_, size_);
#endif
        bytes_ = nullptr;
    }
    std::uint32_t Address(std::size_t offset) const { return std::uint32_t(reinterpret_cast<std::uintptr_t>(bytes_ + offset)); }
    void Put(std::size_t offset, std::uint16_t x, std::uint16_t y)
    {
        const unsigned char pair[4] = {std::uint8_t(x), std::uint8_t(x >> 8), std::uint8_t(y), std::uint8_t(y >> 8)};
        std::memcpy(bytes_ + offset, pair, 4);
    }
    bool Holds(std::uint32_t address) const { return address >= Address(0) && address < Address(0) + size_; }
    unsigned char* Bytes() { return bytes_; }

private:
    unsigned char* bytes_ = nullptr;
    std::size_t size_;
};
