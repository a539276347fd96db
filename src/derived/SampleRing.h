#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace svu {

/// A first-in first-out queue in one growing buffer: pushing at the back and popping at the front
/// cost O(1) and, once the buffer has grown to the largest size seen, allocate nothing.
template <class T>
class SampleRing {
public:
    std::size_t Size() const { return count; }
    bool Empty() const { return count == 0; }

    /// Element i counted from the front (oldest).
    const T& operator[](std::size_t i) const { return buffer[(head + i) & mask]; }
    T& operator[](std::size_t i) { return buffer[(head + i) & mask]; }
    const T& Front() const { return buffer[head]; }
    const T& Back() const { return (*this)[count - 1]; }

    void PushBack(const T& item) {
        if (count == buffer.size()) {
            Grow();
        }
        buffer[(head + count) & mask] = item;
        ++count;
    }
    void PopFront() {
        head = (head + 1) & mask;
        --count;
    }
    void PopBack() { --count; }
    void Clear() {
        head = 0;
        count = 0;
    }
    /// Gives the memory back (Clear keeps it for reuse).
    void Release() {
        std::vector<T>().swap(buffer);
        Clear();
        mask = 0;
    }

private:
    void Grow() {
        const std::size_t capacity = buffer.empty() ? 16 : buffer.size() * 2;
        std::vector<T> grown(capacity);
        for (std::size_t i = 0; i < count; ++i) {
            grown[i] = (*this)[i];
        }
        buffer = std::move(grown);
        head = 0;
        mask = capacity - 1;
    }

    std::vector<T> buffer;
    std::size_t head = 0;
    std::size_t count = 0;
    std::size_t mask = 0;
};

}  // namespace svu
