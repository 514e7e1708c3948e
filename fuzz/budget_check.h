// budget_check.h - the fuzz targets hold every input to its reader's budget.
//
// While a BudgetCheck lives, the bytes allocated are counted through the
// sanitizer's allocation hooks and the readers' work count starts from zero;
// exceeding either limit (a fixed multiple of the input plus a fixed amount)
// is a finding, like a memory error.
#pragma once

#include <sanitizer/allocator_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "base/work_meter.h"

class BudgetCheck {
public:
    BudgetCheck()
    {
        static const bool hooked = __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
        (void)hooked;
        allocated() = 0;
        counting() = true;
        readerWork = 0;
    }
    ~BudgetCheck() { counting() = false; }

    // Traps when the bytes allocated or the work so far exceed their limits
    // for `size` input bytes.
    void expectWithin(size_t size, uint64_t bytesPerByte, uint64_t fixedBytes, uint64_t workPerByte,
                      uint64_t fixedWork) const
    {
        if (allocated() > bytesPerByte * size + fixedBytes) {
            std::fprintf(stderr, "over budget: %llu bytes allocated for %zu input bytes\n",
                         static_cast<unsigned long long>(allocated()), size);
            __builtin_trap();
        }
        if (readerWork > workPerByte * size + fixedWork) {
            std::fprintf(stderr, "over budget: %llu steps for %zu input bytes\n",
                         static_cast<unsigned long long>(readerWork), size);
            __builtin_trap();
        }
    }

private:
    static uint64_t& allocated()
    {
        static uint64_t bytes = 0;
        return bytes;
    }
    static bool& counting()
    {
        static bool on = false;
        return on;
    }
    static void countAllocation(const volatile void*, size_t size)
    {
        if (counting())
            allocated() += size;
    }
    static void ignoreFree(const volatile void*) {}
};
