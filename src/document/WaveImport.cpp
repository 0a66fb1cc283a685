#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/ProfileStore.h"
#include "app/StringTable.h"
#include "document/DimensionQuestion.h"
#include "document/FormatRegistry.h"
#include "document/ImportStream.h"
#include "document/RiffWave.h"
#include "document/WaveFormats.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace tw {

namespace {

constexpr std::size_t kRiffHeaderLength = 44;
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr auto kRead = FileResult::Action::Read;

bool IsRiff(std::string_view bytes) {
    return StartsWithNoCase(bytes, "RIFF");
}

std::string_view NativeExtension(PointLayout layout) {
    return layout == PointLayout::Int16 ? "wav" : "wvf";
}

// A file's size; a path that names no file is no failure of the system but kMsgCannotConvert's
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

// Where a native file's points begin: after the 44-byte header of a RIFF file when asked.
std::uint64_t NativeStart(ImportSource& in, bool riffHeader) {
    char head[4];
    if (riffHeader && in.readAt(0, head, sizeof head) == sizeof head &&
        IsRiff(std::string_view(head, sizeof head)))
        return std::min<std::uint64_t>(in.size(), kRiffHeaderLength);
    return 0;
}

} // namespace

ImportResult ImportFailed(FileResult failure) {
    ImportResult result;
    result.error = failure ? StringText(kMsgCannotConvert) : failure.message();
    result.failure = std::move(failure);
    return result;
}

bool ReadNativeImport(ImportSource& in, const ImportContext& ctx, PointSink& out, bool riffHeader) {
    if (riffHeader) {
        char head[kRiffHeaderLength];
        if (NeedsAudioLibrary(std::string_view(head, in.readAt(0, head, sizeof head))))
            return ReadAudioWave(in, ctx, out);
    }
    const std::uint64_t start = NativeStart(in, riffHeader);
    const auto pointSize = static_cast<std::size_t>(BytesPerPoint(ctx.layout));
    const std::uint64_t count = (in.size() - start) / pointSize;
    const std::size_t chunkPoints = kChunkBytes / pointSize;
    PointBatch batch(out, ctx.layout);
    if (!batch.expect(count))
        return false;
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(chunkPoints, count)) *
                            pointSize);
    std::vector<std::int32_t> points(chunk.size() / pointSize);
    in.seek(start);
    for (std::uint64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunkPoints, count - done));
        if (in.readFully(chunk.data(), n * pointSize) != n * pointSize)
            return false;
        DecodeNativeInto(std::string_view(chunk.data(), n * pointSize), ctx.layout, points.data());
        if (!batch.addAll(std::span(points).first(n)))
            return false;
        done += n;
    }
    return count > 0;
}

// What became of a reader's run over an input: ok, or the input's failure or refusal.
ImportResult ImportOutcome(ImportSource& in, bool made) {
    if (!in.failure())
        return ImportFailed(in.failure());
    ImportResult result;
    if (!made) {
        result = ImportFailed();
        if (!in.refusal().empty())
            result.error = in.refusal();
        return result;
    }
    result.ok = true;
    result.clipped = in.clipped();
    return result;
}

ImportResult ImportWith(PointReader read, ImportSource& in, const ImportContext& ctx) {
    if (!in.present() || !in.failure())
        return ImportFailed(in.failure());
    CollectedPoints collected;
    ImportResult result = ImportOutcome(in, read(in, ctx, collected));
    if (result.ok)
        result.points = std::move(collected.points);
    return result;
}

bool AutoStretchEnabled(const LaunchState& session) {
    const std::string model = ExchangeFile::Instrument(session).Model();
    const std::string value =
        ProfileText(session, "autoStretch" + model, "Option", session.generalIni);
    return value.empty() || EqualsNoCase(value, "yes");
}

ImportContext ImportContextForLaunch(const LaunchState& session, PointLayout layout, double vMin,
                                     double vMax, int askDim, Prompter& asks) {
    ImportContext ctx;
    ctx.layout = layout;
    ctx.vMin = vMin;
    ctx.vMax = vMax;
    ctx.stretch = AutoStretchEnabled(session);
    ctx.askDim = askDim;
    ctx.fullScale = StoredDimensionChoice(session).fullScale;
    ctx.mayReplace = [&asks, caption = session.appName](const std::string& place) {
        return ask(asks, caption,
                   place + "\nalready exists.\nPress:\n\t'Yes' - to replace it with the converted "
                           "points,\n\t'No' - to keep it and convert into the temporary folder.",
                   Buttons::YesNoDefaultNo, Icon::Exclamation) == Answer::Yes;
    };
    ctx.fallbackFolder =
        session.tmpFolder.empty() ? std::string() : session.tmpFolder + "Converted/";
    return ctx;
}

ImportResult StreamWave(ImportSource& in, int formatCode, const ImportContext& ctx,
                        PointSink& out) {
    const FileFormat* format = FindFileFormat(ctx.layout, formatCode);
    if (!format || !format->reading.read)
        return ImportFailed();
    if (!in.present() || !in.failure())
        return ImportFailed(in.failure());
    return ImportOutcome(in, format->reading.read(in, ctx, out));
}

ImportResult ImportWave(ImportSource& in, int formatCode, const ImportContext& ctx) {
    CollectedPoints collected;
    ImportResult result = StreamWave(in, formatCode, ctx, collected);
    if (result.ok)
        result.points = std::move(collected.points);
    return result;
}

ImportResult ImportWaveBytes(std::string_view bytes, int formatCode, const ImportContext& ctx) {
    ImportSource in(bytes);
    return ImportWave(in, formatCode, ctx);
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
    ImportSource in(path);
    return ImportWave(in, formatCode, ctx);
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

ConvertResult NotConverted(std::string error = StringText(kMsgCannotConvert)) {
    ConvertResult result;
    result.error = std::move(error);
    return result;
}

// Whether two files hold the same bytes, compared a block at a time.
bool SameContent(const std::string& a, const std::string& b) {
    const std::int64_t size = FileSize(a);
    if (size < 0 || FileSize(b) != size)
        return false;
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    std::vector<char> blockA(kChunkBytes), blockB(kChunkBytes);
    for (std::int64_t left = size; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::int64_t>(left, kChunkBytes));
        if (!inA.read(blockA.data(), n) || !inB.read(blockB.data(), n) ||
            std::memcmp(blockA.data(), blockB.data(), static_cast<std::size_t>(n)) != 0)
            return false;
        left -= n;
    }
    return true;
}

// Writes a converted file's bytes into a stream: ok, or why the input gave none.
using Producer = std::function<ImportResult(std::ostream& out)>;

// The converted bytes staged beside a target.
struct Staged {
    StagedFile file;
    FileResult written;
    ImportResult made;
    bool streamFailed = false;

    bool importFailed() const { return !made.ok && !streamFailed && !made.error.empty(); }
    ConvertResult importFailure() const {
        return made.failure ? NotConverted(made.error) : FileFailed(made.failure);
    }
};

Staged Stage(const std::string& target, const Producer& produce) {
    Staged s{StagedFile(target), {}, {}, false};
    s.written = s.file.write([&](std::ostream& out) {
        s.made = produce(out);
        s.streamFailed = !out;
        return s.made.ok;
    });
    return s;
}

// Puts the converted bytes at `place` beside the input, unless another file the user keeps is
// there or the folder cannot be written (staging the temporary is the test); then in the
// fallback folder. A place that already holds exactly these bytes is used as it is.
ConvertResult PlaceConverted(const std::string& place, const Producer& produce,
                             const ImportContext& ctx) {
    const bool taken = FileExists(place);
    Staged beside = Stage(place, produce);
    if (beside.importFailed())
        return beside.importFailure();
    if (beside.written) {
        if (taken && SameContent(beside.file.temporary(), place))
            return Placed(place);
        if (!taken || (ctx.mayReplace && ctx.mayReplace(place))) {
            if (FileResult committed = beside.file.commit(); !committed)
                return FileFailed(std::move(committed));
            return Placed(place);
        }
    }
    beside.file.discard();
    if (ctx.fallbackFolder.empty())
        return beside.written ? NotConverted() : FileFailed(std::move(beside.written));
    if (!CreateFolder(ctx.fallbackFolder))
        return FileFailed(FileResult::Failed(FileResult::Action::Write, ctx.fallbackFolder,
                                             "the folder cannot be made"));
    const std::string fallback = ctx.fallbackFolder + FileNameOf(place);
    Staged there = Stage(fallback, produce);
    if (there.importFailed())
        return there.importFailure();
    if (!there.written)
        return FileFailed(std::move(there.written));
    // A folder that cannot be written may already hold these points beside the input.
    if (taken && !beside.written && SameContent(there.file.temporary(), place))
        return Placed(place);
    if (FileExists(fallback) && SameContent(there.file.temporary(), fallback))
        return Placed(fallback);
    if (FileResult committed = there.file.commit(); !committed)
        return FileFailed(std::move(committed));
    return Placed(fallback);
}

// The bytes of the input from offset on, as they are.
ImportResult CopyFrom(const std::string& path, std::uint64_t offset, std::ostream& out,
                      Progress* progress) {
    ImportSource in(path);
    in.reportTo(progress);
    std::vector<char> chunk(kChunkBytes);
    in.seek(offset);
    for (std::size_t n; (n = in.read(chunk.data(), chunk.size())) > 0;)
        if (!out.write(chunk.data(), static_cast<std::streamsize>(n)))
            return ImportFailed();
    if (!in.present() || !in.failure())
        return ImportFailed(in.failure());
    ImportResult result;
    result.ok = true;
    return result;
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
    const std::string place = ConvertedPathFor(path, formatCode, ctx.layout);
    switch (format->reading.open) {
    case OpenRole::AsIs:
        return Placed(path);
    case OpenRole::Native: {
        char head[kRiffHeaderLength] = {};
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return FileFailed(FileResult::FromErrno(kRead, path, errno));
        if (!in.read(head, sizeof head) && !in.eof())
            return FileFailed(FileResult::FromErrno(kRead, path, errno));
        const std::string_view start(head, static_cast<std::size_t>(in.gcount()));
        // WAV audio other than the canonical file is read through the library, as a conversion.
        if (NeedsAudioLibrary(start))
            break;
        if (!IsRiff(start))
            return Placed(path);
        if (static_cast<std::uint64_t>(size) < kRiffHeaderLength + BytesPerPoint(ctx.layout))
            return NotConverted();
        // The samples go over as they are, header dropped.
        return PlaceConverted(
            place,
            [&](std::ostream& out) { return CopyFrom(path, kRiffHeaderLength, out, ctx.progress); },
            ctx);
    }
    case OpenRole::Converted:
        break;
    }
    std::size_t clipped = 0;
    ConvertResult converted = PlaceConverted(
        place,
        [&](std::ostream& out) {
            ImportSource in(path);
            in.reportTo(ctx.progress);
            NativeEncoder encoder(out, ctx.layout);
            ImportResult made = StreamWave(in, formatCode, ctx, encoder);
            clipped = made.clipped;
            return made;
        },
        ctx);
    if (converted.ok)
        converted.clipped = clipped;
    return converted;
}

} // namespace tw
