#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

namespace tw {

namespace {

// Text forms take several bytes per point; beyond this no file can fit kMaxWavePoints anyway
// in the memory the import may take.
constexpr std::int64_t kMaxImportBytes = std::int64_t{1} << 30;
constexpr std::size_t kRiffHeaderLength = 44;
constexpr auto kRead = FileResult::Action::Read;

bool IsRiff(std::string_view bytes) {
    return StartsWithNoCase(bytes, "RIFF");
}

std::string_view NativeExtension(PointLayout layout) {
    return layout == PointLayout::Int16 ? "wav" : "wvf";
}

// A file's size; a path that names no file is no failure of the system but string 3014's
// "invalid file path", so it comes back as -1 without one.
std::int64_t SizeOfInput(const std::string& path, FileResult& failure) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec)
        return static_cast<std::int64_t>(size);
    if (FileExists(path))
        failure = FileResult::Failed(kRead, path, ec);
    return -1;
}

struct InputBytes {
    std::optional<std::string> bytes;
    FileResult failure; // why a file that is there could not be read
};

InputBytes ReadImportFile(const std::string& path) {
    InputBytes input;
    const std::int64_t size = SizeOfInput(path, input.failure);
    if (size < 0 || size > kMaxImportBytes)
        return input;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        input.failure = FileResult::FromErrno(kRead, path, errno);
        return input;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    errno = 0;
    in.read(bytes.data(), size);
    if (in.bad()) {
        input.failure = errno != 0 ? FileResult::FromErrno(kRead, path, errno)
                                   : FileResult::Failed(kRead, path, "the file could not be read");
        return input;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    input.bytes = std::move(bytes);
    return input;
}

} // namespace

ImportResult ImportFailed(FileResult failure) {
    ImportResult result;
    result.error = failure ? StringText(3014) : failure.message();
    result.failure = std::move(failure);
    return result;
}

ImportResult ImportNativeBytes(std::string_view bytes, const ImportContext& ctx, bool riffHeader) {
    if (riffHeader && IsRiff(bytes))
        bytes.remove_prefix(std::min(bytes.size(), kRiffHeaderLength));
    if (bytes.size() / static_cast<std::size_t>(BytesPerPoint(ctx.layout)) > kMaxWavePoints)
        return ImportFailed();
    ImportResult result;
    result.points = DecodeNativePoints(bytes, ctx.layout);
    if (result.points.empty())
        return ImportFailed();
    result.ok = true;
    return result;
}

bool AutoStretchEnabled() {
    const std::string model = ExchangeFile::Instrument::Model();
    const std::string value = ProfileText("autoStretch" + model, "Option", launch().generalIni);
    return value.empty() || EqualsNoCase(value, "yes");
}

ImportContext ImportContextForLaunch(PointLayout layout, double vMin, double vMax, int askDim) {
    ImportContext ctx;
    ctx.layout = layout;
    ctx.vMin = vMin;
    ctx.vMax = vMax;
    ctx.stretch = AutoStretchEnabled();
    ctx.askDim = askDim;
    ctx.mayReplace = [](const std::string& place) {
        return ask(launch().appName,
                   place + "\nalready exists.\nPress:\n\t'Yes' - to replace it with the converted "
                           "points,\n\t'No' - to keep it and convert into the temporary folder.",
                   Buttons::YesNoDefaultNo, Icon::Exclamation) == Answer::Yes;
    };
    ctx.fallbackFolder =
        launch().tmpFolder.empty() ? std::string() : launch().tmpFolder + "Converted/";
    return ctx;
}

ImportResult ImportWaveBytes(std::string_view bytes, int formatCode, const ImportContext& ctx) {
    const FileFormat* format = FindFileFormat(ctx.layout, formatCode);
    if (!format || !format->reading.read)
        return ImportFailed();
    return format->reading.read(bytes, ctx);
}

int FormatCodeFromName(const std::string& path, PointLayout layout) {
    const std::string ext = ExtensionOf(path);
    if (!FileExists(path) || ext.size() != 3)
        return -1;
    if (StartsWithNoCase(ext, "wa") && std::isdigit(static_cast<unsigned char>(ext[2])))
        return kNativeCode;
    const FileFormat* format = FileFormatOfExtension(layout, ext);
    return format ? format->code : -1;
}

ImportResult ImportWaveFile(const std::string& path, int formatCode, const ImportContext& ctx) {
    if (formatCode == kCodeFromName)
        formatCode = FormatCodeFromName(path, ctx.layout);
    const FileFormat* format = FindFileFormat(ctx.layout, formatCode);
    if (!format || !format->reading.read)
        return ImportFailed();
    InputBytes input = ReadImportFile(path);
    if (!input.bytes)
        return ImportFailed(std::move(input.failure));
    return format->reading.read(*input.bytes, ctx);
}

std::string ConvertedPathFor(const std::string& path, int formatCode, PointLayout layout) {
    const FileFormat* format = FindFileFormat(layout, formatCode);
    if (!format || format->reading.open != OpenRole::Native)
        return ReplaceExtension(path, NativeExtension(layout));
    std::string out = ReplaceExtension(path, "");
    out.pop_back(); // the dot ReplaceExtension leaves
    return out + "_TBR." + std::string(NativeExtension(layout));
}

namespace {

ConvertResult Placed(std::string path) {
    return {true, std::move(path), {}, {}};
}

ConvertResult FileFailed(FileResult failure) {
    ConvertResult result;
    result.error = failure.message();
    result.failure = std::move(failure);
    return result;
}

ConvertResult NotConverted() {
    ConvertResult result;
    result.error = StringText(3014);
    return result;
}

bool Holds(const std::string& path, std::string_view bytes) {
    return FileSize(path) == static_cast<std::int64_t>(bytes.size()) &&
           ReadWholeFile(path) == bytes;
}

// Puts the converted bytes at `place` beside the input, unless another file the user keeps is
// there or the folder cannot be written (staging the temporary is the test); then in the
// fallback folder.
ConvertResult PlaceConverted(const std::string& place, std::string_view bytes,
                             const ImportContext& ctx) {
    if (Holds(place, bytes))
        return Placed(place);
    const bool taken = FileExists(place);
    StagedFile staged(place);
    FileResult written = staged.write(bytes);
    if (written && (!taken || (ctx.mayReplace && ctx.mayReplace(place)))) {
        if (FileResult committed = staged.commit(); !committed)
            return FileFailed(std::move(committed));
        return Placed(place);
    }
    staged.discard();
    if (ctx.fallbackFolder.empty()) {
        if (!written)
            return FileFailed(std::move(written));
        return NotConverted();
    }
    if (!CreateFolder(ctx.fallbackFolder))
        return FileFailed(FileResult::Failed(FileResult::Action::Write, ctx.fallbackFolder,
                                             "the folder cannot be made"));
    const std::string fallback = ctx.fallbackFolder + FileNameOf(place);
    if (Holds(fallback, bytes))
        return Placed(fallback);
    if (FileResult moved = WriteFileAtomically(fallback, bytes); !moved)
        return FileFailed(std::move(moved));
    return Placed(fallback);
}

} // namespace

ConvertResult ConvertToBinary(const std::string& path, int formatCode, const ImportContext& ctx) {
    if (formatCode == kCodeFromName)
        formatCode = FormatCodeFromName(path, ctx.layout);
    const FileFormat* format = FindFileFormat(ctx.layout, formatCode);
    if (!format || !format->reading.read)
        return NotConverted();
    FileResult unreadable;
    const std::int64_t size = SizeOfInput(path, unreadable);
    if (!unreadable)
        return FileFailed(std::move(unreadable));
    if (size < BytesPerPoint(ctx.layout))
        return NotConverted();
    switch (format->reading.open) {
    case OpenRole::AsIs:
        return Placed(path);
    case OpenRole::Native: {
        char head[4] = {};
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return FileFailed(FileResult::FromErrno(kRead, path, errno));
        const bool read = static_cast<bool>(in.read(head, sizeof head));
        if (!read && !in.eof())
            return FileFailed(FileResult::FromErrno(kRead, path, errno));
        if (!read || !IsRiff(std::string_view(head, sizeof head)))
            return Placed(path);
        in.close();
        InputBytes input = ReadImportFile(path);
        if (!input.bytes)
            return input.failure ? NotConverted() : FileFailed(std::move(input.failure));
        if (input.bytes->size() < kRiffHeaderLength + BytesPerPoint(ctx.layout))
            return NotConverted();
        // The samples go over as they are, header dropped.
        return PlaceConverted(ConvertedPathFor(path, formatCode, ctx.layout),
                              std::string_view(*input.bytes).substr(kRiffHeaderLength), ctx);
    }
    case OpenRole::Converted:
        break;
    }
    ImportResult imported = ImportWaveFile(path, formatCode, ctx);
    if (!imported.ok)
        return imported.failure ? NotConverted() : FileFailed(std::move(imported.failure));
    return PlaceConverted(ConvertedPathFor(path, formatCode, ctx.layout),
                          EncodeNativePoints(imported.points, ctx.layout), ctx);
}

} // namespace tw
