#include "app/FileUtil.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace tw {

namespace {

constexpr std::size_t kBlockPoints = 1 << 15;

// The row of a format that has a writer.
const FileFormat* WritableFormat(PointLayout layout, int formatCode) {
    const FileFormat* format = FindFileFormat(layout, formatCode);
    return format && format->writing.write ? format : nullptr;
}

// The points a block at a time, widened to 32 bits, so that no writer holds a second wave (but
// for the formats that take it whole).
bool WriteInBlocks(std::ostream& out, const FileFormat& format, SampleView points,
                   const ExportContext& ctx, Progress& progress = NoProgress()) {
    const FormatWriter write = format.writing.write;
    return std::visit(
        [&](auto values) {
            std::vector<std::int32_t> block(
                format.writing.whole ? values.size() : std::min(kBlockPoints, values.size()));
            for (std::size_t first = 0; first < values.size(); first += block.size()) {
                const std::size_t n = std::min(block.size(), values.size() - first);
                if (!progress.advance(first, values.size()))
                    return false;
                std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(first), n, block.begin());
                if (!write(out, std::span(block).first(n), first, ctx))
                    return false;
            }
            return true;
        },
        points);
}

} // namespace

std::string EncodeWaveFile(std::span<const std::int32_t> points, int formatCode,
                           const ExportContext& ctx) {
    const FileFormat* format = WritableFormat(ctx.layout, formatCode);
    std::ostringstream out;
    if (!format || !WriteInBlocks(out, *format, points, ctx))
        return {};
    return std::move(out).str();
}

FileResult ExportWaveFile(const std::string& path, int formatCode, SampleView points,
                          const ExportContext& ctx, Progress& progress) {
    const FileFormat* format = WritableFormat(ctx.layout, formatCode);
    if (!format)
        return FileResult::Failed(FileResult::Action::Write, path, "no writer for this format");
    ExportContext named = ctx;
    if (named.name.empty()) {
        named.name = FileNameOf(path);
        named.name = named.name.substr(0, named.name.find_last_of('.'));
    }
    CancelWatch watch(progress);
    FileResult written = WriteFileAtomically(
        path, [&](std::ostream& out) { return WriteInBlocks(out, *format, points, named, watch); });
    return watch.cancelled() ? FileResult::Cancelled(FileResult::Action::Write, path) : written;
}

} // namespace tw
