#include "document/Hdf5Screen.h"

#include "document/MatScreen.h"

#include <hdf5.h>

namespace tw {

namespace {

constexpr std::size_t kMostLinks = 100000;
// Deflate, the filter MATLAB uses, never expands data more than about 1,032 times.
constexpr double kMostExpansion = 1100;

constexpr const char* kForeignData = "it refers to data in another file";
constexpr const char* kClaimsMore = "it claims more data than it holds";
constexpr const char* kExpandsTooFar = "it expands to more than 1 GiB when decompressed";

struct Hid {
    hid_t id;
    herr_t (*close)(hid_t);
    ~Hid() {
        if (id >= 0)
            close(id);
    }
};

struct Screen {
    std::uint64_t fileBytes = 0;
    std::size_t links = 0;
    std::string why;
};

std::string WhyDatasetIsRefused(hid_t dataset, std::uint64_t fileBytes) {
    const Hid plist{H5Dget_create_plist(dataset), H5Pclose};
    if (plist.id < 0)
        return "its structure is damaged";
    if (H5Pget_external_count(plist.id) != 0 || H5Pget_layout(plist.id) == H5D_VIRTUAL)
        return kForeignData;
    const Hid space{H5Dget_space(dataset), H5Sclose};
    const Hid type{H5Dget_type(dataset), H5Tclose};
    const hssize_t count = space.id >= 0 ? H5Sget_simple_extent_npoints(space.id) : -1;
    const std::size_t size = type.id >= 0 ? H5Tget_size(type.id) : 0;
    if (count < 0 || size == 0)
        return "its structure is damaged";
    const double claimed = static_cast<double>(count) * static_cast<double>(size);
    const auto stored = static_cast<double>(H5Dget_storage_size(dataset));
    const bool filtered = H5Pget_nfilters(plist.id) > 0;
    if (filtered && claimed > static_cast<double>(kMatMostInflatedBytes))
        return kExpandsTooFar;
    if (stored > static_cast<double>(fileBytes) ||
        claimed > (filtered ? stored * kMostExpansion : stored))
        return kClaimsMore;
    return "";
}

herr_t Visit(hid_t group, const char* name, const H5L_info_t* info, void* data) {
    auto& screen = *static_cast<Screen*>(data);
    if (++screen.links > kMostLinks) {
        screen.why = "it holds more objects than a waveform file has";
        return 1;
    }
    if (info->type == H5L_TYPE_SOFT)
        return 0; // a name of another object of the file, itself visited by its hard link
    if (info->type != H5L_TYPE_HARD) {
        screen.why = kForeignData;
        return 1;
    }
    const Hid object{H5Oopen(group, name, H5P_DEFAULT), H5Oclose};
    if (object.id < 0) {
        screen.why = "its structure is damaged";
        return 1;
    }
    if (H5Iget_type(object.id) == H5I_DATASET)
        screen.why = WhyDatasetIsRefused(object.id, screen.fileBytes);
    return screen.why.empty() ? 0 : 1;
}

} // namespace

std::string WhyHdf5IsRefused(const std::string& path, std::uint64_t fileBytes) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    if (H5Fis_hdf5(path.c_str()) <= 0)
        return "";
    const Hid file{H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose};
    if (file.id < 0)
        return "its structure is damaged";
    Screen screen;
    screen.fileBytes = fileBytes;
    if (H5Lvisit(file.id, H5_INDEX_NAME, H5_ITER_NATIVE, Visit, &screen) < 0 && screen.why.empty())
        screen.why = "its structure is damaged";
    return screen.why;
}

} // namespace tw
