#pragma once
#include "document/WaveFormats.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tw {

// A 1-D NumPy array as its ".npy" file holds it.
struct NpyArray {
    char kind = 'i';              // 'i' signed, 'u' unsigned integer, 'f' float
    int itemSize = 2;             // bytes per element
    bool bigEndian = false;       // byte order of the elements
    std::size_t count = 0;        // elements
    std::uint64_t dataOffset = 0; // where the elements start in the file
    std::string_view data;        // count * itemSize bytes, when the whole file is at hand
};

// The array of a ".npy" file: version 1, 2 or 3, a bounded header that is a literal dictionary
// of "descr", "fortran_order" and "shape", a 1-D shape within kMaxWavePoints and data enough
// for it. nullopt with why otherwise.
std::optional<NpyArray> ParseNpy(std::string_view bytes, std::string& why);
// The most a header can take with its preamble (numpy itself refuses headers beyond 10000 bytes
// unless told otherwise).
constexpr std::size_t kNpyMaxHeaderLength = 10000;
constexpr std::size_t kNpyMostHead = 12 + kNpyMaxHeaderLength;
// The same from the file's first bytes (head) and its size: data stays empty.
std::optional<NpyArray> ParseNpyHeader(std::string_view head, std::uint64_t fileSize,
                                       std::string& why);
// The elements as numbers.
std::vector<double> NpyValues(const NpyArray& array);

// Floats as fractions of full scale, integers as the column import takes its values; read a
// block at a time (integers twice: the stretch needs their extremes), so that no more than the
// points is held.
bool ReadNpyPoints(ImportSource& in, const ImportContext& ctx, PointSink& out);
ImportResult ImportNpy(std::string_view bytes, const ImportContext& ctx);
// A version 1 file of one little-endian int16 vector (int32 for the FM composer's points).
bool WriteNpy(std::ostream& out, std::span<const std::int32_t> points, const ExportContext& ctx);

} // namespace tw
