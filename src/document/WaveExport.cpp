#include "app/FileUtil.h"
#include "document/TextWave.h"
#include "document/WaveFormats.h"

namespace tw {

bool ExportWritesFile(int formatCode) {
    return formatCode == kNativeCode || formatCode == kAsciiCode || formatCode == kCsvCode ||
           formatCode == kPositiveCode;
}

std::string EncodeWaveFile(std::span<const std::int32_t> points, int formatCode,
                           const ExportContext& ctx) {
    switch (formatCode) {
    case kNativeCode:
        return EncodeNativePoints(points, ctx.layout);
    case kAsciiCode:
        return FormatAsciiPoints(points);
    case kCsvCode:
        return FormatCsvPoints(points);
    case kPositiveCode:
        return EncodePositivePoints(points);
    default:
        return {};
    }
}

FileResult ExportWaveFile(const std::string& path, int formatCode,
                          std::span<const std::int32_t> points, const ExportContext& ctx) {
    if (!ExportWritesFile(formatCode))
        return FileResult::Failed(FileResult::Action::Write, path, "no writer for this format");
    return WriteFileAtomically(path, EncodeWaveFile(points, formatCode, ctx));
}

} // namespace tw
