#include "document/MatFormat.h"

#include "app/FileUtil.h"
#include "document/PointMapping.h"

#include <matio.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <unistd.h>

namespace tw {

namespace {

constexpr std::size_t kMaxVariables = 10000;
// The library reads only from a path: files pass through a private temporary copy.
constexpr std::int64_t kMaxMatBytes = std::int64_t{1} << 30;

class TempFile {
  public:
    TempFile() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "tw-mat-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            close(fd);
            path_ = pattern;
        }
    }
    ~TempFile() {
        if (!path_.empty())
            RemoveFile(path_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

struct MatCloser {
    void operator()(mat_t* mat) const { Mat_Close(mat); }
};
struct VarFreer {
    void operator()(matvar_t* var) const { Mat_VarFree(var); }
};
using MatFile = std::unique_ptr<mat_t, MatCloser>;
using MatVar = std::unique_ptr<matvar_t, VarFreer>;

void Quiet(int, char*) {}

MatFile OpenMat(const TempFile& temp, std::string_view bytes) {
    static const bool quiet = (Mat_LogInitFunc("tidewright", Quiet), true);
    (void)quiet;
    if (temp.path().empty() || static_cast<std::int64_t>(bytes.size()) > kMaxMatBytes)
        return nullptr;
    {
        std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
            return nullptr;
    }
    return MatFile(Mat_Open(temp.path().c_str(), MAT_ACC_RDONLY));
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

template <typename T>
bool Widen(const matvar_t& var, std::size_t count, std::vector<double>& values) {
    if (var.data_size != static_cast<int>(sizeof(T)) || !var.data || var.nbytes < count * sizeof(T))
        return false;
    const T* data = static_cast<const T*>(var.data);
    values.assign(data, data + count);
    return true;
}

bool ReadValues(const matvar_t& var, std::size_t count, std::vector<double>& values) {
    switch (var.class_type) {
    case MAT_C_DOUBLE:
        return Widen<double>(var, count, values);
    case MAT_C_SINGLE:
        return Widen<float>(var, count, values);
    case MAT_C_INT8:
        return Widen<std::int8_t>(var, count, values);
    case MAT_C_UINT8:
        return Widen<std::uint8_t>(var, count, values);
    case MAT_C_INT16:
        return Widen<std::int16_t>(var, count, values);
    case MAT_C_UINT16:
        return Widen<std::uint16_t>(var, count, values);
    case MAT_C_INT32:
        return Widen<std::int32_t>(var, count, values);
    case MAT_C_UINT32:
        return Widen<std::uint32_t>(var, count, values);
    case MAT_C_INT64:
        return Widen<std::int64_t>(var, count, values);
    case MAT_C_UINT64:
        return Widen<std::uint64_t>(var, count, values);
    default:
        return false;
    }
}

bool IsNumeric(matio_classes c) {
    return c >= MAT_C_DOUBLE && c <= MAT_C_UINT64;
}

std::vector<std::string> Names(mat_t* mat) {
    std::vector<std::string> names;
    while (names.size() < kMaxVariables) {
        MatVar var(Mat_VarReadNextInfo(mat));
        if (!var)
            break;
        names.emplace_back(var->name ? var->name : "");
    }
    return names;
}

} // namespace

std::vector<std::string> MatVariables(std::string_view bytes) {
    TempFile temp;
    MatFile mat = OpenMat(temp, bytes);
    return mat ? Names(mat.get()) : std::vector<std::string>{};
}

std::vector<std::string> MatVariablesOfFile(const std::string& path) {
    if (FileSize(path) > kMaxMatBytes)
        return {};
    const auto bytes = ReadWholeFile(path);
    return bytes ? MatVariables(*bytes) : std::vector<std::string>{};
}

ImportResult ImportMat(std::string_view bytes, const ImportContext& ctx) {
    TempFile temp;
    MatFile mat = OpenMat(temp, bytes);
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
    MatVar var(Mat_VarRead(mat.get(), name.c_str()));
    std::vector<double> values;
    if (!var || var->isComplex || !ReadValues(*var, count, values))
        return ImportRefused("The variable " + name + " cannot be read.");
    return MapIntoRange(values, ColumnValueMap(values, ctx), ctx);
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
    TempFile temp;
    if (temp.path().empty())
        return false;
    std::vector<std::int16_t> data(points.begin(), points.end());
    {
        MatFile mat(Mat_CreateVer(temp.path().c_str(), nullptr, MAT_FT_MAT5));
        if (!mat)
            return false;
        size_t dims[2] = {data.size(), 1};
        const std::string name = MatVariableName(ctx.name.empty() ? "wave" : ctx.name);
        MatVar var(Mat_VarCreate(name.c_str(), MAT_C_INT16, MAT_T_INT16, 2, dims, data.data(),
                                 MAT_F_DONT_COPY_DATA));
        if (!var || Mat_VarWrite(mat.get(), var.get(), MAT_COMPRESSION_NONE) != 0)
            return false;
    }
    const auto bytes = ReadWholeFile(temp.path());
    return bytes && out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
}

} // namespace tw
