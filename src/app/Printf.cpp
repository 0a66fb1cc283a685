#include "app/Printf.h"

#include <cstdarg>
#include <cstdio>

namespace tw {

namespace {
std::string vstrprintf(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (n < static_cast<int>(sizeof small))
        return std::string(small, n);
    std::string out(n, '\0');
    std::vsnprintf(out.data(), n + 1, format, args);
    return out;
}
} // namespace

std::string strprintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = vstrprintf(format, args);
    va_end(args);
    return s;
}

std::string vformat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = vstrprintf(format, args);
    va_end(args);
    return s;
}

} // namespace tw
