#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace tw {

// The first `most` bytes of a regular file (fewer when it is shorter). Anything else, a FIFO
// say, is refused at once rather than waited on.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t most);

} // namespace tw
