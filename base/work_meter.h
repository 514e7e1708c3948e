// work_meter.h - a count of the file readers' inner steps.
//
// Every loop of a reader whose length depends on its input adds its steps
// here, so that tests can show reading time growing linearly with the input
// by comparing counts for N and 4N bytes - never with a clock. The readers
// run on one thread; nothing else reads the count.
#pragma once

#include <cstdint>

inline uint64_t readerWork = 0;
