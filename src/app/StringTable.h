#pragma once

namespace tw {

// The program's numbered texts (messages, command status and tool-tip texts). Returns "" for an
// unknown number. Formats are printf-style and formatted where they are used.
const char* StringText(int id);

} // namespace tw
