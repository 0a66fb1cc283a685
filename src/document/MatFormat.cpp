#include "document/MatFormat.h"

#include "app/FileUtil.h"
#include "app/IsolatedRun.h"
#include "document/Hdf5Screen.h"
#include "document/IsolatedImport.h"
#include "document/MatScreen.h"
#include "document/PointMapping.h"

#include <matio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <system_error>
#include <type_traits>
#include <unistd.h>

namespace tw {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxVariables = 10000;
constexpr std::int64_t kMaxMatBytes = std::int64_t{1} << 30;
constexpr std::size_t kValueBlock = 16384;
constexpr std::size_t kSlabValues = std::size_t{1} << 20;
// The library holds one file open at a time (the copy, by stdio or HDF5): no other can open.
constexpr int kFilesTheLibraryOpens = 1;

struct MatCloser {
    void operator()(mat_t* mat) const { Mat_Close(mat); }
};
struct VarFreer {
    void operator()(matvar_t* var) const { Mat_VarFree(var); }
};
using MatFile = std::unique_ptr<mat_t, MatCloser>;
using MatVar = std::unique_ptr<matvar_t, VarFreer>;

void Quiet(int, char*) {}

// HDF5 opens a file only by a path it can resolve, which no anonymous file has: the library
// reads a private copy, made and removed by the program around the child that reads it, so that
// no crash of the library leaves it behind. Copies of programs killed midway are removed by the
// next read.
class PrivateCopy {
  public:
    explicit PrivateCopy(std::string_view bytes) {
        std::error_code ec;
        const fs::path folder = fs::temp_directory_path(ec);
        RemoveCopiesOfDeadPrograms(folder);
        std::string pattern =
            (folder / (kCopyPrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            return;
        const bool written = WriteAll(fd, bytes.data(), bytes.size());
        ::close(fd);
        path_ = pattern;
        if (!written)
            remove();
    }
    ~PrivateCopy() { remove(); }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;
    const std::string& path() const { return path_; }

  private:
    static constexpr const char* kCopyPrefix = "tw-mat-";
    void remove() {
        if (!path_.empty())
            RemoveFile(path_);
        path_.clear();
    }
    static void RemoveCopiesOfDeadPrograms(const fs::path& folder) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind(kCopyPrefix, 0) != 0)
                continue;
            const long pid = std::strtol(name.c_str() + std::strlen(kCopyPrefix), nullptr, 10);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                RemoveFile(it->path().string());
        }
    }
    std::string path_;
};

// Runs in the reader's child; version 7.3 files are first screened for links to other files.
MatFile OpenMat(const std::string& path, std::uint64_t size, std::string& why) {
    static const bool quiet = (Mat_LogInitFunc("tidewright", Quiet), true);
    (void)quiet;
    if (path.empty() || static_cast<std::int64_t>(size) > kMaxMatBytes)
        return nullptr;
    LimitNewFiles(kFilesTheLibraryOpens);
    why = WhyHdf5IsRefused(path, size);
    return MatFile(why.empty() ? Mat_Open(path.c_str(), MAT_ACC_RDONLY) : nullptr);
}

std::size_t Elements(const matvar_t& var, std::size_t& longest) {
    std::size_t count = 1;
    longest = 0;
    for (int i = 0; i < var.rank; ++i) {
        const std::size_t d = var.dims[i];
        longest = std::max(longest, d);
        if (d != 0 && count > kMaxWavePoints / d + 1)
            return kMaxWavePoints + 1;
        count *= d;
    }
    return var.rank > 0 ? count : 0;
}

// The values a slab at a time through the library, a block at a time as doubles, read twice: the
// stretch needs their extremes first. A compressed version 5 variable is inflated from its start
// for every slab, so it comes in four slabs, not in many small ones: a slab of doubles then holds
// as many bytes as the points made of the whole variable.
template <typename T>
std::optional<ImportResult> MapSlabs(mat_t* mat, matvar_t* var, std::size_t count,
                                     const ImportContext& ctx, PointSink& out) {
    const bool inflatedFromStart =
        Mat_GetVersion(mat) != MAT_FT_MAT73 && var->compression != MAT_COMPRESSION_NONE;
    const std::size_t slab =
        std::min(count, inflatedFromStart ? std::max(kSlabValues, (count + 3) / 4) : kSlabValues);
    std::vector<T> values(slab);
    std::vector<double> block;
    bool readable = true;
    auto forEachBlock = [&](auto&& use) {
        for (std::size_t at = 0; at < count; at += slab) {
            const std::size_t n = std::min(slab, count - at);
            if (Mat_VarReadDataLinear(mat, var, values.data(), static_cast<int>(at), 1,
                                      static_cast<int>(n)) != 0)
                return readable = false;
            for (std::size_t b = 0; b < n; b += kValueBlock) {
                const auto first = values.begin() + static_cast<std::ptrdiff_t>(b);
                block.assign(first,
                             first + static_cast<std::ptrdiff_t>(std::min(kValueBlock, n - b)));
                if (!use(std::span<const double>(block)))
                    return false;
            }
        }
        return true;
    };
    ValueExtremes extremes;
    forEachBlock([&](std::span<const double> part) {
        extremes.add(part);
        return true;
    });
    if (!readable)
        return std::nullopt;
    const LinearMap map = ColumnValueMap(extremes.minimum, extremes.maximum, ctx);
    ImportResult result;
    result.ok = forEachBlock([&](std::span<const double> part) {
        ImportResult mapped = MapIntoRange(part, map, ctx);
        if (!mapped.ok) {
            result = std::move(mapped);
            return false;
        }
        result.clipped += mapped.clipped;
        return out.take(mapped.points);
    });
    if (!readable)
        return std::nullopt;
    return result;
}

// Calls use with a null pointer of the type that holds one value of the class.
template <typename Use> std::optional<ImportResult> WithClassType(matio_classes c, Use&& use) {
    switch (c) {
    case MAT_C_DOUBLE:
        return use(static_cast<double*>(nullptr));
    case MAT_C_SINGLE:
        return use(static_cast<float*>(nullptr));
    case MAT_C_INT8:
        return use(static_cast<std::int8_t*>(nullptr));
    case MAT_C_UINT8:
        return use(static_cast<std::uint8_t*>(nullptr));
    case MAT_C_INT16:
        return use(static_cast<std::int16_t*>(nullptr));
    case MAT_C_UINT16:
        return use(static_cast<std::uint16_t*>(nullptr));
    case MAT_C_INT32:
        return use(static_cast<std::int32_t*>(nullptr));
    case MAT_C_UINT32:
        return use(static_cast<std::uint32_t*>(nullptr));
    case MAT_C_INT64:
        return use(static_cast<std::int64_t*>(nullptr));
    case MAT_C_UINT64:
        return use(static_cast<std::uint64_t*>(nullptr));
    default:
        return std::nullopt;
    }
}

bool IsNumeric(matio_classes c) {
    return c >= MAT_C_DOUBLE && c <= MAT_C_UINT64;
}

std::vector<MatVariable> Variables(mat_t* mat) {
    std::vector<MatVariable> variables;
    while (variables.size() < kMaxVariables) {
        MatVar var(Mat_VarReadNextInfo(mat));
        if (!var)
            break;
        MatVariable& v = variables.emplace_back();
        v.name = var->name ? var->name : "";
        if (var->rank > 0 && static_cast<std::size_t>(var->rank) <= kMatMostDims && var->dims)
            v.dims.assign(var->dims, var->dims + var->rank);
    }
    return variables;
}

// The variable's values need at least this many bytes of the file.
double LeastStoredBytes(const matvar_t& var, std::size_t count, mat_t* mat) {
    const double bytes =
        static_cast<double>(count) * static_cast<double>(Mat_SizeOfClass(var.class_type));
    // Version 7.3 sizes are screened by the HDF5 look; version 5 data may be compressed.
    if (Mat_GetVersion(mat) == MAT_FT_MAT73)
        return 0;
    return var.compression == MAT_COMPRESSION_NONE ? bytes : bytes / kMatMostExpansion;
}

ImportResult ReadMat(const std::string& path, std::uint64_t size, const ImportContext& ctx,
                     PointSink& out) {
    std::string why;
    MatFile mat = OpenMat(path, size, why);
    if (!why.empty())
        return UnreadableFile(why);
    if (!mat)
        return ImportRefused("It is not a MATLAB file the library reads.");
    MatVar info;
    for (std::size_t seen = 0; seen < kMaxVariables; ++seen) {
        info.reset(Mat_VarReadNextInfo(mat.get()));
        if (!info || ctx.variable.empty() || (info->name && ctx.variable == info->name))
            break;
    }
    if (!info)
        return ImportRefused(ctx.variable.empty() ? "It holds no variable."
                                                  : "It holds no variable " + ctx.variable + ".");
    const std::string name = info->name ? info->name : "";
    if (!IsNumeric(info->class_type) || info->isLogical)
        return ImportRefused("The variable " + name + " is not numeric.");
    if (info->isComplex)
        return ImportRefused("The variable " + name + " is complex.");
    std::size_t longest = 0;
    const std::size_t count = Elements(*info, longest);
    if (count == 0 || count > kMaxWavePoints)
        return ImportRefused("The variable " + name + " has no length a waveform can take.");
    if (count != longest)
        return ImportRefused("The variable " + name + " is a matrix, not a vector.");
    if (LeastStoredBytes(*info, count, mat.get()) > static_cast<double>(size))
        return UnreadableFile("it claims more data than it holds");
    MatVar var(Mat_VarReadInfo(mat.get(), name.c_str()));
    std::optional<ImportResult> mapped;
    if (var && !var->isComplex && var->class_type == info->class_type)
        mapped = WithClassType(var->class_type, [&](auto* type) {
            using T = std::remove_pointer_t<decltype(type)>;
            return MapSlabs<T>(mat.get(), var.get(), count, ctx, out);
        });
    if (!mapped)
        return ImportRefused("The variable " + name + " cannot be read.");
    return std::move(*mapped);
}

// Each variable as its name and its dimensions joined by 'x' (empty when unknown), each ended
// by a zero byte.
bool WriteVariables(int output, const std::string& path, std::uint64_t size) {
    std::string why;
    MatFile mat = OpenMat(path, size, why);
    std::string text;
    for (const MatVariable& v : mat ? Variables(mat.get()) : std::vector<MatVariable>{}) {
        text.append(v.name).push_back('\0');
        for (std::size_t i = 0; i < v.dims.size(); ++i)
            text.append(i ? "x" : "").append(std::to_string(v.dims[i]));
        text.push_back('\0');
    }
    return WriteAll(output, text.data(), text.size());
}

// The dimensions the child wrote; empty when they are not at most kMatMostDims numbers.
std::vector<std::uint64_t> ParsedDims(std::string_view text) {
    std::vector<std::uint64_t> dims;
    while (!text.empty() && dims.size() < kMatMostDims) {
        std::uint64_t d = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
        if (ec != std::errc{})
            return {};
        dims.push_back(d);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (!text.empty() && text.front() != 'x')
            return {};
        if (!text.empty())
            text.remove_prefix(1);
    }
    return text.empty() ? dims : std::vector<std::uint64_t>{};
}

} // namespace

std::vector<MatVariable> MatVariableShapes(std::string_view bytes) {
    if (!WhyMatIsRefused(bytes).empty())
        return {};
    const PrivateCopy copy(bytes);
    IsolatedOutcome outcome =
        RunIsolated([&](int output) { return WriteVariables(output, copy.path(), bytes.size()); },
                    ReaderLimits(bytes.size()));
    std::vector<MatVariable> variables;
    struct stat info {};
    // A name of at most 64 bytes, each dimension of at most 20 digits and a separator.
    constexpr std::uint64_t kMostText = kMaxVariables * (64 + kMatMostDims * 21 + 1);
    if (!outcome.ok || ::fstat(outcome.output.get(), &info) != 0 ||
        static_cast<std::uint64_t>(info.st_size) > kMostText)
        return variables;
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    if (!ReadAllAt(outcome.output.get(), text.data(), text.size(), 0))
        return variables;
    const std::string_view all(text);
    for (std::size_t at = 0;;) {
        const std::size_t nameEnd = all.find('\0', at);
        const std::size_t dimsEnd =
            nameEnd == std::string_view::npos ? nameEnd : all.find('\0', nameEnd + 1);
        if (dimsEnd == std::string_view::npos)
            break;
        variables.push_back({std::string(all.substr(at, nameEnd - at)),
                             ParsedDims(all.substr(nameEnd + 1, dimsEnd - nameEnd - 1))});
        at = dimsEnd + 1;
    }
    return variables;
}

std::vector<MatVariable> MatVariableShapesOfFile(const std::string& path) {
    if (FileSize(path) > kMaxMatBytes)
        return {};
    const auto bytes = ReadWholeFile(path);
    return bytes ? MatVariableShapes(*bytes) : std::vector<MatVariable>{};
}

namespace {

std::vector<std::string> NamesOf(const std::vector<MatVariable>& variables) {
    std::vector<std::string> names;
    names.reserve(variables.size());
    for (const MatVariable& v : variables)
        names.push_back(v.name);
    return names;
}

} // namespace

std::vector<std::string> MatVariables(std::string_view bytes) {
    return NamesOf(MatVariableShapes(bytes));
}

std::vector<std::string> MatVariablesOfFile(const std::string& path) {
    return NamesOf(MatVariableShapesOfFile(path));
}

bool ReadMatPoints(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    // The look at its sizes and the library's copy take the file whole.
    if (in.size() > static_cast<std::uint64_t>(kMaxMatBytes))
        return false;
    std::string bytes(static_cast<std::size_t>(in.size()), '\0');
    if (in.readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return false;
    // Sizes the library would allocate by are checked first, here, before any memory grows.
    if (const std::string why = WhyMatIsRefused(bytes); !why.empty()) {
        in.refuse(UnreadableFile(why).error);
        return false;
    }
    const PrivateCopy copy(bytes);
    return ReadIsolated(in, ctx, out, [&](ImportSource&, const ImportContext& c, PointSink& child) {
        return ReadMat(copy.path(), bytes.size(), c, child);
    });
}

ImportResult ImportMat(std::string_view bytes, const ImportContext& ctx) {
    ImportSource in(bytes);
    return ImportWith(ReadMatPoints, in, ctx);
}

std::string MatVariableName(std::string_view stem) {
    std::string name;
    for (char c : stem)
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '_' ? c : '_';
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])))
        name = "w" + name;
    return name.substr(0, 63);
}

bool WriteMat(std::ostream& out, std::span<const std::int32_t> points, const ExportContext& ctx) {
    const AnonymousCopy copy = AnonymousCopyOf({});
    if (!copy.fd)
        return false;
    std::vector<std::int16_t> data(points.begin(), points.end());
    {
        MatFile mat(Mat_CreateVer(copy.path.c_str(), nullptr, MAT_FT_MAT5));
        if (!mat)
            return false;
        size_t dims[2] = {data.size(), 1};
        const std::string name = MatVariableName(ctx.name.empty() ? "wave" : ctx.name);
        MatVar var(Mat_VarCreate(name.c_str(), MAT_C_INT16, MAT_T_INT16, 2, dims, data.data(),
                                 MAT_F_DONT_COPY_DATA));
        if (!var || Mat_VarWrite(mat.get(), var.get(), MAT_COMPRESSION_NONE) != 0)
            return false;
    }
    struct stat info {};
    if (::fstat(copy.fd.get(), &info) != 0)
        return false;
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    return ReadAllAt(copy.fd.get(), bytes.data(), bytes.size(), 0) &&
           out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace tw
