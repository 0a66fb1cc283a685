#include "app/PointLimits.h"

#include <algorithm>

#include <unistd.h>

namespace tw {

std::size_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

std::size_t MemoryPointLimit(std::size_t bytesPerPoint) {
    const std::size_t memory = PhysicalMemoryBytes();
    if (memory == 0) // not told: the fixed ceiling still bounds every size
        return kMaxWavePoints;
    return std::min(memory / std::max<std::size_t>(bytesPerPoint, 1), kMaxWavePoints);
}

} // namespace tw
