#pragma once

// Counts every allocation of the benchmark program, so a benchmark can report allocations per
// reading. Include it in exactly one source file of a program: it replaces the global operator new.

#include <atomic>
#include <cstdlib>
#include <new>

namespace svu::bench {

inline std::atomic<long long>& AllocationCount() {
    static std::atomic<long long> count{0};
    return count;
}

}  // namespace svu::bench

void* operator new(std::size_t size) {
    svu::bench::AllocationCount().fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    svu::bench::AllocationCount().fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
