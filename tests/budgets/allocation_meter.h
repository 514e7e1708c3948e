// allocation_meter.h - the bytes a piece of code takes from the heap.
//
// This test binary counts the C heap itself: the linker sends the project's
// calls of malloc, calloc, realloc, posix_memalign and aligned_alloc through
// allocation_meter.cpp (--wrap), and the global operator new, replaced there,
// allocates with malloc. While an AllocationMeter lives on a thread, every
// allocation made on that thread is added to it, whether or not it is freed
// again: the total bounds what the code ever holds at once. Deterministic,
// and no clock involved. A meter can also make allocations fail past a
// limit, as memory running out would.
#pragma once

#include <cstdint>

class AllocationMeter {
public:
    AllocationMeter();
    ~AllocationMeter();
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;

    uint64_t bytes = 0;
    uint64_t allocations = 0;
    // An allocation that would take `bytes` past this fails (std::bad_alloc).
    uint64_t failAbove = UINT64_MAX;

private:
    AllocationMeter* outer = nullptr;
};
