#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "document/ColumnImport.h"
#include "document/FileFilters.h"
#include "document/LeCroyImport.h"
#include "document/TextWave.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>

namespace tw {

namespace {

// Text forms take several bytes per point; beyond this no file can fit kMaxWavePoints anyway
// in the memory the import may take.
constexpr std::int64_t kMaxImportBytes = std::int64_t{1} << 30;
constexpr std::size_t kRiffHeaderLength = 44;

ImportResult Failed() {
    return ImportResult{false, {}, StringText(3014)};
}

bool IsRiff(std::string_view bytes) {
    return StartsWithNoCase(bytes, "RIFF");
}

const FormatTable& TableOf(PointLayout layout) {
    return FormatTableFor(layout == PointLayout::Int16 ? kStandardComposer : kFmComposer,
                          layout == PointLayout::Record6);
}

std::string_view NativeExtension(PointLayout layout) {
    return layout == PointLayout::Int16 ? "wav" : "wvf";
}

std::optional<std::string> ReadImportFile(const std::string& path) {
    const std::int64_t size = FileSize(path);
    if (size < 0 || size > kMaxImportBytes)
        return std::nullopt;
    return ReadWholeFile(path);
}

} // namespace

bool AutoStretchEnabled() {
    const std::string model = ProfileText("Model", "Instrument", launch().exchangeFile);
    const std::string value = ProfileText("autoStretch" + model, "Option", launch().generalIni);
    return value.empty() || EqualsNoCase(value, "yes");
}

ImportContext ImportContextForLaunch(double vMin, double vMax, int askDim) {
    ImportContext ctx;
    ctx.layout = NativeLayout();
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
    ImportResult result;
    switch (formatCode) {
    case kNativeCode:
    case kPositiveCode: // no conversion: taken as native points
        if (formatCode == kNativeCode && IsRiff(bytes))
            bytes.remove_prefix(std::min(bytes.size(), kRiffHeaderLength));
        if (bytes.size() / static_cast<std::size_t>(BytesPerPoint(ctx.layout)) > kMaxWavePoints)
            return Failed();
        result.points = DecodeNativePoints(bytes, ctx.layout);
        break;
    case kAsciiCode:
        return ParseAsciiPoints(bytes, ctx.layout);
    case kCsvCode:
    case kPrnCode:
    case kTxtCode:
        return ImportColumns(bytes, ctx);
    case kLeCroyCode:
    case kTraceCode:
        return ImportLeCroy(bytes, ctx);
    default:
        return Failed();
    }
    if (result.points.empty())
        return Failed();
    result.ok = true;
    return result;
}

int FormatCodeFromName(const std::string& path, PointLayout layout) {
    const std::string ext = ExtensionOf(path);
    if (!FileExists(path) || ext.size() != 3)
        return -1;
    if (StartsWithNoCase(ext, "wa") && std::isdigit(static_cast<unsigned char>(ext[2])))
        return kNativeCode;
    const FormatTable& table = TableOf(layout);
    const int code = FormatCodeOfExtension(ext, table);
    return code == static_cast<int>(table.extensions.size()) ? -1 : code;
}

ImportResult ImportWaveFile(const std::string& path, int formatCode, const ImportContext& ctx) {
    if (formatCode == kCodeFromName)
        formatCode = FormatCodeFromName(path, ctx.layout);
    if (formatCode < 0)
        return Failed();
    auto bytes = ReadImportFile(path);
    if (!bytes)
        return Failed();
    return ImportWaveBytes(*bytes, formatCode, ctx);
}

std::string ConvertedPathFor(const std::string& path, int formatCode, PointLayout layout) {
    if (formatCode != kNativeCode)
        return ReplaceExtension(path, NativeExtension(layout));
    std::string out = ReplaceExtension(path, "");
    out.pop_back(); // the dot ReplaceExtension leaves
    return out + "_TBR." + std::string(NativeExtension(layout));
}

namespace {

ConvertResult Placed(std::string path) {
    return {true, std::move(path), {}, {}};
}

ConvertResult WriteFailed(FileResult written) {
    ConvertResult result;
    result.error = written.message();
    result.written = std::move(written);
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
            return WriteFailed(std::move(committed));
        return Placed(place);
    }
    staged.discard();
    if (ctx.fallbackFolder.empty()) {
        if (!written)
            return WriteFailed(std::move(written));
        return ConvertResult{false, {}, StringText(3014), {}};
    }
    if (!CreateFolder(ctx.fallbackFolder))
        return WriteFailed(FileResult::Failed(FileResult::Action::Write, ctx.fallbackFolder,
                                              "the folder cannot be made"));
    const std::string fallback = ctx.fallbackFolder + FileNameOf(place);
    if (Holds(fallback, bytes))
        return Placed(fallback);
    if (FileResult moved = WriteFileAtomically(fallback, bytes); !moved)
        return WriteFailed(std::move(moved));
    return Placed(fallback);
}

} // namespace

ConvertResult ConvertToBinary(const std::string& path, int formatCode, const ImportContext& ctx) {
    ConvertResult failed{false, {}, StringText(3014), {}};
    if (formatCode == kCodeFromName)
        formatCode = FormatCodeFromName(path, ctx.layout);
    if (formatCode < 0)
        return failed;
    const std::int64_t size = FileSize(path);
    if (size < BytesPerPoint(ctx.layout))
        return failed;
    if (formatCode == kPositiveCode)
        return Placed(path);
    if (formatCode == kNativeCode) {
        char head[4] = {};
        std::ifstream in(path, std::ios::binary);
        if (!in.read(head, sizeof head) || !IsRiff(std::string_view(head, sizeof head)))
            return in || in.eof() ? Placed(path) : failed;
        in.close();
        auto bytes = ReadImportFile(path);
        if (!bytes || bytes->size() < kRiffHeaderLength + BytesPerPoint(ctx.layout))
            return failed;
        // The samples go over as they are, header dropped.
        return PlaceConverted(ConvertedPathFor(path, formatCode, ctx.layout),
                              std::string_view(*bytes).substr(kRiffHeaderLength), ctx);
    }
    ImportResult imported = ImportWaveFile(path, formatCode, ctx);
    if (!imported.ok)
        return failed;
    return PlaceConverted(ConvertedPathFor(path, formatCode, ctx.layout),
                          EncodeNativePoints(imported.points, ctx.layout), ctx);
}

} // namespace tw
