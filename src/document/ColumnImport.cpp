#include "document/ColumnImport.h"

#include "app/FileUtil.h"
#include "document/ImportStream.h"
#include "document/PointMapping.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace tw {

bool ColumnHeaderFinder::tell(bool atEnd) {
    // "time" in any case takes four bytes to tell, "\"Time" five.
    const bool told = atEnd || first_.size() >= 5 || (first_.size() == 4 && first_[0] != '"');
    if (!told)
        return false;
    gathering_ = false;
    if (StartsWithNoCase(first_, "time") || first_.starts_with("\"Time"))
        found_ = lineStart_;
    return found_.has_value();
}

bool ColumnHeaderFinder::feed(std::string_view piece) {
    if (found_)
        return true;
    const std::uint64_t at = fed_;
    fed_ += piece.size();
    if (gathering_) {
        first_.append(piece.substr(0, 5 - std::min<std::size_t>(first_.size(), 5)));
        if (tell(false))
            return true;
    }
    // A line that begins too close to the piece's end to tell is told with the next piece; a
    // later line start in this piece means the earlier line had a line break among its first
    // four bytes, which neither header begins with.
    for (std::size_t eol = piece.find('\n'); eol != std::string_view::npos;
         eol = piece.find('\n', eol + 1)) {
        lineStart_ = at + eol + 1;
        first_.assign(piece.substr(eol + 1, 5));
        gathering_ = true;
        if (tell(false))
            return true;
    }
    return false;
}

bool ColumnHeaderFinder::finish() {
    return found_ || (gathering_ && tell(true));
}

namespace {

// Values held in memory before they go to the temporary file: 8 MiB.
constexpr std::size_t kHeldValues = 1 << 20;
constexpr std::size_t kBlockValues = 1 << 16;
const std::string kSpillName = "the temporary file of the column values";

} // namespace

ColumnValues::~ColumnValues() {
    if (spill_)
        std::fclose(spill_);
}

bool ColumnValues::add(double v) {
    minimum_ = std::min(minimum_, v);
    maximum_ = std::max(maximum_, v);
    ++count_;
    held_.push_back(v);
    return held_.size() < kHeldValues || spillHeld();
}

bool ColumnValues::spillHeld() {
    // An unnamed file: nothing is left behind, however the process ends.
    if (!spill_ && !(spill_ = std::tmpfile())) {
        failure_ = FileResult::FromErrno(FileResult::Action::Write, kSpillName, errno);
        return false;
    }
    if (std::fwrite(held_.data(), sizeof(double), held_.size(), spill_) != held_.size()) {
        failure_ = FileResult::FromErrno(FileResult::Action::Write, kSpillName, errno);
        return false;
    }
    held_.clear();
    return true;
}

void ColumnValues::clear() {
    held_.clear();
    if (spill_)
        std::fclose(spill_);
    spill_ = nullptr;
    count_ = 0;
    minimum_ = 1e9;
    maximum_ = -1e9;
}

bool ColumnValues::forEach(const std::function<bool(std::span<const double>)>& take) {
    if (spill_) {
        if (std::fflush(spill_) != 0 || std::fseek(spill_, 0, SEEK_SET) != 0) {
            failure_ = FileResult::FromErrno(FileResult::Action::Write, kSpillName, errno);
            return false;
        }
        std::vector<double> block(kBlockValues);
        for (std::size_t n; (n = std::fread(block.data(), sizeof(double), block.size(), spill_));)
            if (!take(std::span(block).first(n)))
                return false;
        if (std::ferror(spill_)) {
            failure_ = FileResult::FromErrno(FileResult::Action::Read, kSpillName, errno);
            return false;
        }
    }
    return held_.empty() || take(held_);
}

LinearMap ColumnStretch(double minimum, double maximum, double vMin, double vMax) {
    const double a = std::max(std::fabs(minimum), std::fabs(maximum));
    if (a == 0)
        return {1e20, vMin};
    // Halving the span rather than doubling A: 2A overflows for A beyond 8.9e307, and a scale of
    // 0 would flatten the wave. The quotient is the same, halving being exact.
    const double scale = (vMax - vMin) / 2 / a;
    return {scale, vMin + scale * a};
}

namespace {

// Bytes that no number text contains: a number never runs across one.
bool EndsNumbers(char c) {
    const auto u = static_cast<unsigned char>(c);
    return !((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
             u == '.' || u == '+' || u == '-' || u == '_' || u == '(' || u == ')');
}

// Where the line that begins at start ends, after its line break (or at the end of the text).
std::uint64_t LineEnd(ImportSource& in, std::uint64_t start) {
    char chunk[4096];
    std::uint64_t at = start;
    for (std::size_t n; (n = in.readAt(at, chunk, sizeof chunk)) > 0; at += n)
        if (const void* eol = std::memchr(chunk, '\n', n))
            return at + static_cast<std::uint64_t>(static_cast<const char*>(eol) - chunk) + 1;
    return at;
}

// The row values after the header. The header is looked for while the rows are read: once
// found, the rows start over after it, so that what came before it (even a row that failed)
// does not count.
bool CollectValues(ImportSource& in, const ImportContext& ctx, ColumnValues& values) {
    const std::uint64_t most = MemoryPointLimit(ctx.layout == PointLayout::Int16 ? 2 : 4);
    auto add = [&](double v) { return values.count() < most && values.add(v); };
    ColumnHeaderFinder header;
    bool searching = true;
    for (;;) {
        ColumnRows rows(ctx.askDim);
        TextPieces pieces(in, EndsNumbers);
        bool found = false;
        bool rowsRead = true;
        for (std::string_view piece = pieces.next(); !piece.empty(); piece = pieces.next()) {
            if (searching && header.feed(piece)) {
                found = true;
                break;
            }
            if (rowsRead && !rows.read(piece, add)) {
                rowsRead = false;
                if (!searching)
                    return false;
            }
        }
        if (!searching || (!found && !header.finish()))
            return rowsRead;
        searching = false;
        values.clear();
        const std::uint64_t start = LineEnd(in, header.lineStart());
        in.seek(start);
    }
}

} // namespace

bool ReadColumnPoints(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    ColumnValues values;
    if (!CollectValues(in, ctx, values) || values.count() == 0) {
        if (!values.failure())
            in.failed(values.failure());
        return false;
    }
    const LinearMap map = ColumnValueMap(values.minimum(), values.maximum(), ctx);
    PointBatch batch(out, ctx.layout);
    std::size_t clipped = 0;
    const bool mapped = values.forEach([&](std::span<const double> block) {
        for (double v : block) {
            // Fractions of full scale end at full scale.
            if (ctx.fullScale && std::fabs(v) > 1) {
                v = std::clamp(v, -1.0, 1.0);
                ++clipped;
            }
            std::int32_t point = 0;
            if (!WholePoint(v * map.scale + map.offset + 0.5, ctx.layout, point) ||
                !batch.add(point))
                return false;
        }
        return true;
    });
    if (!values.failure())
        in.failed(values.failure());
    in.clip(clipped);
    return mapped && batch.flush();
}

ImportResult ImportColumns(std::string_view text, const ImportContext& ctx) {
    ImportSource in(text);
    return ImportWith(ReadColumnPoints, in, ctx);
}

} // namespace tw
