#include "document/MatScreen.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

namespace tw {

namespace {

constexpr const char* kClaimsMore = "it claims more data than it holds";
constexpr const char* kDamaged = "its structure is damaged";
constexpr const char* kBadCompression = "its compressed data is damaged";
constexpr const char* kExpandsTooFar = "it expands to more than 1 GiB when decompressed";
constexpr const char* kExpandsPastClaim = "it expands to more than the size it claims";

constexpr std::size_t kHeaderBytes = 128;
constexpr std::uint32_t kMiInt32 = 5, kMiUint32 = 6, kMiMatrix = 14, kMiCompressed = 15;
constexpr std::uint32_t kCellClass = 1, kStructClass = 2, kObjectClass = 3, kSparseClass = 5,
                        kOpaqueClass = 17;
// Past these a file is no MATLAB file: 1024 dimensions, variables within variables 64 deep.
constexpr std::uint64_t kMostDimsBytes = 4096;
constexpr int kMostDepth = 64;
// A compressed variable's header (flags, dimensions, name) lies in its first bytes.
constexpr std::size_t kKeptInflated = 16384;

std::uint32_t U32(std::string_view b, std::size_t at, bool big) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<unsigned char>(b[at + (big ? i : 3 - i)]);
        v = v << 8 | byte;
    }
    return v;
}

// One data element of a version 5 file: its type, the bytes of its data, where they begin and
// where the next element begins (data padded to 8 bytes; a small element is 8 bytes in all).
struct Element {
    std::uint32_t type = 0;
    std::uint64_t bytes = 0;
    std::uint64_t dataAt = 0;
    std::uint64_t next = 0;
};

// The element at `at` of content, which has contentBytes in all of which `seen` are at hand;
// false when its tag is not at hand. why is set when its data would pass the end of the content.
bool ElementAt(std::string_view seen, std::uint64_t contentBytes, std::uint64_t at, bool big,
               Element& e, std::string& why) {
    if (at + 8 > seen.size()) {
        if (seen.size() == contentBytes && at < contentBytes)
            why = kDamaged;
        return false;
    }
    const std::uint32_t first = U32(seen, at, big);
    if (first >> 16 != 0) { // small: the size in the upper half, the data in the tag's second word
        e = {first & 0xffff, first >> 16, at + 4, at + 8};
        if (e.bytes > 4)
            why = kDamaged;
        return why.empty();
    }
    e.type = first;
    e.bytes = U32(seen, at + 4, big);
    e.dataAt = at + 8;
    if (e.bytes > contentBytes - e.dataAt) {
        why = kClaimsMore;
        return false;
    }
    e.next = std::min(contentBytes, e.dataAt + (e.bytes + 7) / 8 * 8);
    return true;
}

// The least bytes of a variable's content for each of its elements.
std::uint64_t LeastBytesPerElement(std::uint32_t mxClass) {
    if (mxClass == kCellClass)
        return 8; // each a variable of its own, with its tag
    if (mxClass == kStructClass || mxClass == kObjectClass || mxClass == kSparseClass)
        return 0; // fields may be none; a sparse matrix stores its nonzeros only
    return 1;
}

// A variable's content (an miMATRIX element's data): contentBytes in all, `seen` at hand (all of
// it unless the variable was compressed).
std::string WhyMatrixIsRefused(std::string_view seen, std::uint64_t contentBytes, bool big,
                               int depth) {
    if (depth > kMostDepth)
        return "its variables lie more than 64 deep within each other";
    std::string why;
    Element flags, dims, name;
    if (!ElementAt(seen, contentBytes, 0, big, flags, why))
        return why;
    if (flags.type != kMiUint32 || flags.bytes < 4 || flags.dataAt + 4 > seen.size())
        return kDamaged;
    const std::uint32_t mxClass = U32(seen, flags.dataAt, big) & 0xff;
    if (mxClass == kOpaqueClass)
        return "";
    if (!ElementAt(seen, contentBytes, flags.next, big, dims, why))
        return why;
    if (dims.type != kMiInt32 || dims.bytes % 4 != 0 || dims.bytes > kMostDimsBytes)
        return kDamaged;
    if (dims.dataAt + dims.bytes > seen.size())
        return ""; // a compressed variable's header longer than what was kept
    double elements = 1;
    for (std::uint64_t at = dims.dataAt; at < dims.dataAt + dims.bytes; at += 4)
        elements *= static_cast<double>(U32(seen, at, big) & 0x7fffffff);
    if (elements * static_cast<double>(LeastBytesPerElement(mxClass)) >
        static_cast<double>(contentBytes))
        return kClaimsMore;
    if (!ElementAt(seen, contentBytes, dims.next, big, name, why))
        return why;
    // The data: each element within the variable, variables within it screened in turn.
    for (Element e = name; e.next < contentBytes;) {
        if (!ElementAt(seen, contentBytes, e.next, big, e, why))
            return why;
        if (e.type == kMiMatrix) {
            const std::string_view inner =
                seen.substr(e.dataAt, std::min<std::uint64_t>(e.bytes, seen.size() - e.dataAt));
            if (std::string nested = WhyMatrixIsRefused(inner, e.bytes, big, depth + 1);
                !nested.empty())
                return nested;
        }
    }
    return "";
}

// A compressed variable, expanded a block at a time: only its first bytes are kept. Expansion
// stops at the size the variable claims, which may be neither past our cap nor past what deflate
// can make of the stream's bytes.
std::string WhyCompressedIsRefused(std::string_view data, bool big) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return kBadCompression;
    const double mostByFormat = static_cast<double>(data.size()) * kMatMostExpansion;
    std::string kept;
    std::array<unsigned char, 65536> block{};
    std::uint64_t total = 0, most = kMatMostInflatedBytes;
    const char* why = nullptr; // set when expansion is refused
    const char* past = kExpandsTooFar;
    int status = Z_OK;
    while (status == Z_OK && !why) {
        if (z.avail_in == 0 && !data.empty()) {
            const std::size_t n = std::min<std::size_t>(data.size(), UINT_MAX);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
            z.avail_in = static_cast<uInt>(n);
            data.remove_prefix(n);
        }
        z.next_out = block.data();
        z.avail_out = static_cast<uInt>(block.size());
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t made = block.size() - z.avail_out;
        total += made;
        if (kept.size() < kKeptInflated)
            kept.append(reinterpret_cast<const char*>(block.data()),
                        std::min(made, kKeptInflated - kept.size()));
        if (kept.size() >= 8 && past == kExpandsTooFar) {
            const std::uint64_t claimed = 8 + std::uint64_t{U32(kept, 4, big)};
            if (U32(kept, 0, big) != kMiMatrix)
                why = kBadCompression;
            else if (claimed > kMatMostInflatedBytes)
                why = kExpandsTooFar;
            else if (static_cast<double>(claimed) > mostByFormat)
                why = kClaimsMore;
            most = claimed;
            past = kExpandsPastClaim;
        }
        if (total > most)
            why = past;
        if (status == Z_BUF_ERROR && made == 0 && z.avail_in == 0 && data.empty())
            break; // the input ended before the stream did
        if (status == Z_BUF_ERROR)
            status = Z_OK;
    }
    inflateEnd(&z);
    if (why)
        return why;
    if (status != Z_STREAM_END && status != Z_BUF_ERROR)
        return kBadCompression;
    if (kept.size() < 8 || total < most)
        return kClaimsMore;
    return WhyMatrixIsRefused(std::string_view(kept).substr(8), most - 8, big, 0);
}

std::string WhyVersion5IsRefused(std::string_view bytes, bool big) {
    std::string why;
    for (std::uint64_t at = kHeaderBytes; at + 8 <= bytes.size() && why.empty();) {
        const std::uint32_t type = U32(bytes, at, big);
        const std::uint64_t size = U32(bytes, at + 4, big);
        if (size > bytes.size() - at - 8)
            return kClaimsMore;
        const std::string_view data = bytes.substr(at + 8, size);
        if (type == kMiMatrix)
            why = WhyMatrixIsRefused(data, size, big, 0);
        else if (type == kMiCompressed)
            why = WhyCompressedIsRefused(data, big);
        at += 8 + size;
    }
    return why;
}

// A version 4 matrix's type is four decimal digits MOPT: M the byte order, O zero, P the
// element type, T full, text or sparse.
bool IsVersion4Type(std::uint32_t type) {
    return type < 2000 && type / 100 % 10 == 0 && type / 10 % 10 <= 5 && type % 10 <= 2;
}

std::string WhyVersion4IsRefused(std::string_view bytes) {
    static constexpr double kElementBytes[] = {8, 4, 4, 2, 2, 1};
    for (std::uint64_t at = 0; at + 20 <= bytes.size();) {
        bool big = false;
        if (!IsVersion4Type(U32(bytes, at, big)) && !IsVersion4Type(U32(bytes, at, big = true)))
            return ""; // not a version 4 matrix: the library refuses it
        const std::uint32_t type = U32(bytes, at, big);
        const auto rows = static_cast<std::int32_t>(U32(bytes, at + 4, big));
        const auto columns = static_cast<std::int32_t>(U32(bytes, at + 8, big));
        const std::uint32_t imaginary = U32(bytes, at + 12, big);
        const auto nameBytes = static_cast<std::int32_t>(U32(bytes, at + 16, big));
        if (rows < 0 || columns < 0 || imaginary > 1 || nameBytes < 0)
            return kDamaged;
        const double dataBytes =
            double(rows) * double(columns) * double(imaginary + 1) * kElementBytes[type / 10 % 10];
        const double left = static_cast<double>(bytes.size() - at - 20);
        if (double(nameBytes) + dataBytes > left)
            return kClaimsMore;
        at += 20 + static_cast<std::uint64_t>(nameBytes) + static_cast<std::uint64_t>(dataBytes);
    }
    return "";
}

} // namespace

std::string WhyMatIsRefused(std::string_view bytes) {
    if (bytes.size() >= kHeaderBytes) {
        const bool little = bytes[126] == 'I' && bytes[127] == 'M';
        const bool big = bytes[126] == 'M' && bytes[127] == 'I';
        const auto version = static_cast<unsigned char>(bytes[big ? 124 : 125]);
        if ((little || big) && version == 2)
            return ""; // version 7.3: HDF5, screened by its own library
        if ((little || big) && version == 1)
            return WhyVersion5IsRefused(bytes, big);
    }
    return WhyVersion4IsRefused(bytes);
}

} // namespace tw
