#include "document/NpyFormat.h"

#include "document/ImportStream.h"
#include "document/PointMapping.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <ostream>

namespace tw {

namespace {

constexpr std::string_view kMagic("\x93NUMPY", 6);
// Elements converted at a time: their numbers and points stay in the second-level cache.
constexpr std::size_t kBlockElements = 16384;

std::uint64_t LittleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// The literal dictionary of the header, read as far as a ".npy" header needs: string keys,
// string, True/False and tuple-of-integers values.
class HeaderReader {
  public:
    explicit HeaderReader(std::string_view text) : text_(text) {}

    bool read(std::string& descr, bool& fortran, std::vector<std::uint64_t>& shape) {
        bool haveDescr = false, haveFortran = false, haveShape = false;
        if (!take('{'))
            return false;
        while (!take('}')) {
            std::string key;
            if (!quoted(key) || !take(':'))
                return false;
            if (key == "descr" && !haveDescr)
                haveDescr = quoted(descr);
            else if (key == "fortran_order" && !haveFortran)
                haveFortran = boolean(fortran);
            else if (key == "shape" && !haveShape)
                haveShape = tuple(shape);
            else
                return false;
            if (!take(',')) {
                if (!take('}'))
                    return false;
                break;
            }
        }
        skipBlanks();
        return haveDescr && haveFortran && haveShape && pos_ == text_.size();
    }

  private:
    void skipBlanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }
    bool take(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool word(std::string_view w) {
        skipBlanks();
        if (text_.substr(pos_, w.size()) != w)
            return false;
        pos_ += w.size();
        return true;
    }
    bool quoted(std::string& out) {
        skipBlanks();
        if (pos_ >= text_.size() || (text_[pos_] != '\'' && text_[pos_] != '"'))
            return false;
        const char quote = text_[pos_++];
        const auto end = text_.find(quote, pos_);
        if (end == std::string_view::npos || end - pos_ > 32)
            return false;
        out.assign(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }
    bool boolean(bool& out) {
        if (word("True"))
            return out = true;
        if (word("False"))
            return !(out = false);
        return false;
    }
    bool tuple(std::vector<std::uint64_t>& out) {
        if (!take('('))
            return false;
        while (!take(')')) {
            skipBlanks();
            std::uint64_t n = 0;
            std::size_t digits = 0;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                if (++digits > 18)
                    return false;
                n = n * 10 + static_cast<std::uint64_t>(text_[pos_++] - '0');
            }
            if (digits == 0 || out.size() == 32)
                return false;
            out.push_back(n);
            if (!take(',')) {
                if (!take(')'))
                    return false;
                break;
            }
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool ParseDescr(const std::string& descr, NpyArray& array) {
    if (descr.size() < 3 || (descr[0] != '<' && descr[0] != '>' && descr[0] != '|'))
        return false;
    array.bigEndian = descr[0] == '>';
    array.kind = descr[1];
    const std::string_view size = std::string_view(descr).substr(2);
    if (size == "1")
        array.itemSize = 1;
    else if (size == "2")
        array.itemSize = 2;
    else if (size == "4")
        array.itemSize = 4;
    else if (size == "8")
        array.itemSize = 8;
    else
        return false;
    if (descr[0] == '|' && array.itemSize != 1)
        return false;
    switch (array.kind) {
    case 'i':
    case 'u':
        return true;
    case 'f':
        return array.itemSize >= 2;
    default:
        return false;
    }
}

double HalfToDouble(std::uint16_t h) {
    const int exponent = (h >> 10) & 0x1f;
    const int mantissa = h & 0x3ff;
    double value;
    if (exponent == 0)
        value = std::ldexp(mantissa, -24);
    else if (exponent == 31)
        value = mantissa ? std::nan("") : HUGE_VAL;
    else
        value = std::ldexp(mantissa + 1024, exponent - 25);
    return (h & 0x8000) ? -value : value;
}

double Element(const NpyArray& array, std::size_t i) {
    const auto size = static_cast<std::size_t>(array.itemSize);
    char raw[8];
    std::memcpy(raw, array.data.data() + i * size, size);
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < size; ++b) {
        const std::size_t from = array.bigEndian ? b : size - 1 - b;
        bits = bits << 8 | static_cast<unsigned char>(raw[from]);
    }
    if (array.kind == 'u')
        return static_cast<double>(bits);
    if (array.kind == 'i') {
        const unsigned shift = 64 - 8 * static_cast<unsigned>(size);
        return static_cast<double>(static_cast<std::int64_t>(bits << shift) >> shift);
    }
    switch (size) {
    case 2:
        return HalfToDouble(static_cast<std::uint16_t>(bits));
    case 4:
        return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    default:
        return std::bit_cast<double>(bits);
    }
}

} // namespace

std::optional<NpyArray> ParseNpyHeader(std::string_view head, std::uint64_t fileSize,
                                       std::string& why) {
    why = "It is not a NumPy array file.";
    if (head.size() < 10 || head.substr(0, 6) != kMagic)
        return std::nullopt;
    const int major = static_cast<unsigned char>(head[6]);
    std::size_t prefix = 10;
    std::uint64_t headerLength = LittleEndian(head.substr(8, 2));
    if (major == 2 || major == 3) {
        if (head.size() < 12)
            return std::nullopt;
        prefix = 12;
        headerLength = LittleEndian(head.substr(8, 4));
    } else if (major != 1) {
        why = "Its NumPy file version is not known.";
        return std::nullopt;
    }
    if (headerLength > kNpyMaxHeaderLength || headerLength > head.size() - prefix)
        return std::nullopt;
    std::string descr;
    bool fortran = false;
    std::vector<std::uint64_t> shape;
    NpyArray array;
    if (!HeaderReader(head.substr(prefix, headerLength)).read(descr, fortran, shape))
        return std::nullopt;
    if (!ParseDescr(descr, array)) {
        why = "Its element type '" + descr + "' is neither an integer nor a float.";
        return std::nullopt;
    }
    if (shape.size() != 1) {
        why = "It is not a one-dimensional array.";
        return std::nullopt;
    }
    if (shape[0] == 0 || shape[0] > kMaxWavePoints) {
        why = "Its length is not a waveform's.";
        return std::nullopt;
    }
    array.count = static_cast<std::size_t>(shape[0]);
    array.dataOffset = prefix + headerLength;
    // The claimed length is checked against the file before it sizes anything.
    if (fileSize - array.dataOffset < array.count * static_cast<std::uint64_t>(array.itemSize)) {
        why = "The file ends before its array does.";
        return std::nullopt;
    }
    return array;
}

std::optional<NpyArray> ParseNpy(std::string_view bytes, std::string& why) {
    std::optional<NpyArray> array = ParseNpyHeader(bytes, bytes.size(), why);
    if (array)
        array->data = bytes.substr(array->dataOffset, array->count * array->itemSize);
    return array;
}

std::vector<double> NpyValues(const NpyArray& array) {
    std::vector<double> values(array.count);
    for (std::size_t i = 0; i < array.count; ++i)
        values[i] = Element(array, i);
    return values;
}

bool ReadNpyPoints(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), kNpyMostHead)),
                     '\0');
    head.resize(in.readAt(0, head.data(), head.size()));
    std::string why;
    const std::optional<NpyArray> array = ParseNpyHeader(head, in.size(), why);
    if (!array) {
        in.refuse(ImportRefused(why).error);
        return false;
    }
    // The elements a block at a time, as numbers.
    std::string raw;
    std::vector<double> values;
    auto eachBlock = [&](const auto& take) {
        const auto size = static_cast<std::size_t>(array->itemSize);
        for (std::size_t done = 0; done < array->count;) {
            const std::size_t n = std::min(kBlockElements, array->count - done);
            raw.resize(n * size);
            if (in.readAt(array->dataOffset + done * size, raw.data(), raw.size()) != raw.size())
                return false;
            NpyArray block = *array;
            block.count = n;
            block.data = raw;
            values.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                values[i] = Element(block, i);
            if (!take(std::span<const double>(values)))
                return false;
            done += n;
        }
        return true;
    };
    LinearMap map = FullScaleMap(ctx.vMin, ctx.vMax);
    if (array->kind != 'f') {
        // Integers are stretched between their extremes: a first reading finds them.
        double minimum = 1e9, maximum = -1e9;
        eachBlock([&](std::span<const double> block) {
            for (double v : block) {
                minimum = std::min(minimum, v);
                maximum = std::max(maximum, v);
            }
            return true;
        });
        map = ColumnValueMap(minimum, maximum, ctx);
    }
    PointBatch batch(out, ctx.layout);
    if (!batch.expect(array->count))
        return false;
    return eachBlock([&](std::span<const double> block) {
               ImportResult mapped = MapIntoRange(block, map, ctx);
               if (!mapped.ok) {
                   in.refuse(mapped.error);
                   return false;
               }
               in.clip(mapped.clipped);
               return batch.addAll(mapped.points);
           }) &&
           batch.flush();
}

ImportResult ImportNpy(std::string_view bytes, const ImportContext& ctx) {
    ImportSource in(bytes);
    return ImportWith(ReadNpyPoints, in, ctx);
}

bool WriteNpy(std::ostream& out, std::span<const std::int32_t> points, const ExportContext& ctx) {
    const bool narrow = ctx.layout == PointLayout::Int16;
    std::string header = std::string("{'descr': '<i") + (narrow ? "2" : "4") +
                         "', 'fortran_order': False, 'shape': (" + std::to_string(points.size()) +
                         ",), }";
    // The data start on a 64-byte boundary; the header ends with a line break.
    const std::size_t total = (kMagic.size() + 4 + header.size() + 1 + 63) / 64 * 64;
    header.append(total - kMagic.size() - 4 - header.size() - 1, ' ').push_back('\n');
    std::string bytes(kMagic);
    bytes += '\x01';
    bytes += '\x00';
    bytes += static_cast<char>(header.size() & 0xff);
    bytes += static_cast<char>(header.size() >> 8);
    bytes += header;
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return false;
    return WriteNativePoints(out, points, narrow ? PointLayout::Int16 : PointLayout::Int32);
}

} // namespace tw
