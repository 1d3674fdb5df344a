#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// A byte vector whose growth leaves the new bytes as they are, for memory
// that is written in full right after it is had.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <typename U>
    void construct(U* at) noexcept
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* at, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Arguments>(arguments)...);
    }
};
using UninitializedBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;
