// allocation_meter.cpp - a counting C heap for the budget tests.
//
// The wrapped functions count and then call the real ones, so memory checkers
// still see every block. Every form of new and delete goes through malloc and
// free here, and is counted with them.
#include "allocation_meter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
int __real_posix_memalign(void** p, std::size_t alignment, std::size_t size);
void* __real_aligned_alloc(std::size_t alignment, std::size_t size);
}

namespace {

thread_local AllocationMeter* t_meter = nullptr;

// Adds `size` to the meter; false when the meter makes this allocation fail.
bool take(std::size_t size)
{
    if (!t_meter)
        return true;
    if (size > t_meter->failAbove || t_meter->bytes + size > t_meter->failAbove)
        return false;
    t_meter->bytes += size;
    t_meter->allocations++;
    return true;
}

void* allocateOrThrow(std::size_t size, std::size_t alignment)
{
    void* p = nullptr;
    if (alignment <= alignof(std::max_align_t))
        p = std::malloc(size ? size : 1);
    else if (posix_memalign(&p, alignment, size ? size : 1) != 0)
        p = nullptr;
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* allocate(std::size_t size, std::size_t alignment) noexcept
{
    try {
        return allocateOrThrow(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

extern "C" {

void* __wrap_malloc(std::size_t size) { return take(size) ? __real_malloc(size) : nullptr; }

void* __wrap_calloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return take(count * size) ? __real_calloc(count, size) : nullptr;
}

// A block that grows counts its new size, as a fresh allocation would.
void* __wrap_realloc(void* p, std::size_t size) { return take(size) ? __real_realloc(p, size) : nullptr; }

int __wrap_posix_memalign(void** p, std::size_t alignment, std::size_t size)
{
    return take(size) ? __real_posix_memalign(p, alignment, size) : 12 /* ENOMEM */;
}

void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size)
{
    return take(size) ? __real_aligned_alloc(alignment, size) : nullptr;
}

}  // extern "C"

AllocationMeter::AllocationMeter() : outer(t_meter) { t_meter = this; }

AllocationMeter::~AllocationMeter() { t_meter = outer; }

void* operator new(std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new[](std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(size, std::size_t(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocate(size, std::size_t(a));
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
