#include "app/FileUtil.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"

#include <sstream>

namespace tw {

namespace {

FormatWriter WriterOf(PointLayout layout, int formatCode) {
    const FileFormat* format = FindFileFormat(layout, formatCode);
    return format ? format->writing.write : nullptr;
}

} // namespace

std::string EncodeWaveFile(std::span<const std::int32_t> points, int formatCode,
                           const ExportContext& ctx) {
    const FormatWriter write = WriterOf(ctx.layout, formatCode);
    std::ostringstream out;
    if (!write || !write(out, points, ctx))
        return {};
    return std::move(out).str();
}

FileResult ExportWaveFile(const std::string& path, int formatCode,
                          std::span<const std::int32_t> points, const ExportContext& ctx) {
    const FormatWriter write = WriterOf(ctx.layout, formatCode);
    if (!write)
        return FileResult::Failed(FileResult::Action::Write, path, "no writer for this format");
    ExportContext named = ctx;
    if (named.name.empty()) {
        named.name = FileNameOf(path);
        named.name = named.name.substr(0, named.name.find_last_of('.'));
    }
    return WriteFileAtomically(path, [&](std::ostream& out) { return write(out, points, named); });
}

} // namespace tw
