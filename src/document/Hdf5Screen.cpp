#include "document/Hdf5Screen.h"

#include "document/MatScreen.h"

#include <hdf5.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

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

constexpr const char* kChunkPastItsSize = "a chunk of it expands past the size of a chunk";
constexpr const char* kDamaged = "its structure is damaged";

struct Screen {
    std::uint64_t fileBytes = 0;
    std::size_t links = 0;
    std::string why;
};

constexpr const char* kForeignFilter = "its data is filtered in a way MATLAB files are not";

// Whether a stored deflate stream inflates past `most` bytes, inflated a block at a time and
// only counted.
bool ExpandsPast(const std::vector<unsigned char>& stored, std::uint64_t most) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false; // the library's own inflate refuses it
    std::array<unsigned char, 65536> block{};
    z.next_in = const_cast<unsigned char*>(stored.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(stored.size(), UINT_MAX));
    std::uint64_t total = 0;
    for (int status = Z_OK; status == Z_OK && total <= most;) {
        z.next_out = block.data();
        z.avail_out = static_cast<uInt>(block.size());
        status = inflate(&z, Z_NO_FLUSH);
        total += block.size() - z.avail_out;
    }
    inflateEnd(&z);
    return total > most;
}

// The library inflates a chunk into a buffer it grows for as long as the stream goes on: each
// stored chunk of a deflated dataset is inflated here first, and one that would pass the chunk's
// size is refused. Filters MATLAB does not write are refused (past deflate, the checksum alone).
std::string WhyChunksAreRefused(hid_t dataset, hid_t plist, std::size_t elementBytes,
                                std::uint64_t fileBytes) {
    int deflateAt = -1;
    const int filters = H5Pget_nfilters(plist);
    for (int i = 0; i < filters; ++i) {
        unsigned flags = 0, config = 0;
        size_t values = 0;
        const H5Z_filter_t filter = H5Pget_filter2(plist, static_cast<unsigned>(i), &flags, &values,
                                                   nullptr, 0, nullptr, &config);
        if (filter == H5Z_FILTER_DEFLATE)
            deflateAt = i;
        else if (filter != H5Z_FILTER_FLETCHER32 &&
                 (filter != H5Z_FILTER_SHUFFLE || deflateAt >= 0))
            return kForeignFilter;
    }
    hsize_t dims[H5S_MAX_RANK] = {};
    const int rank = H5Pget_chunk(plist, H5S_MAX_RANK, dims);
    if (deflateAt < 0 || rank <= 0)
        return "";
    double chunkBytes = static_cast<double>(elementBytes);
    for (int i = 0; i < rank; ++i)
        chunkBytes *= static_cast<double>(dims[i]);
    const Hid space{H5Dget_space(dataset), H5Sclose};
    hsize_t chunks = 0;
    if (H5Dget_num_chunks(dataset, space.id, &chunks) < 0)
        return kDamaged;
    std::vector<unsigned char> stored;
    for (hsize_t i = 0; i < chunks; ++i) {
        hsize_t offset[H5S_MAX_RANK] = {}, size = 0;
        unsigned skipped = 0;
        if (H5Dget_chunk_info(dataset, space.id, i, offset, &skipped, nullptr, &size) < 0 ||
            size > fileBytes)
            return kDamaged;
        if (size == 0 || (skipped >> deflateAt & 1) != 0)
            continue; // not stored, or stored as it is
        stored.resize(static_cast<std::size_t>(size));
        std::uint32_t mask = 0;
        if (H5Dread_chunk(dataset, H5P_DEFAULT, offset, &mask, stored.data()) < 0)
            return kDamaged;
        if (ExpandsPast(stored, static_cast<std::uint64_t>(chunkBytes)))
            return kChunkPastItsSize;
    }
    return "";
}

std::string WhyDatasetIsRefused(hid_t dataset, std::uint64_t fileBytes) {
    const Hid plist{H5Dget_create_plist(dataset), H5Pclose};
    if (plist.id < 0)
        return kDamaged;
    if (H5Pget_external_count(plist.id) != 0 || H5Pget_layout(plist.id) == H5D_VIRTUAL)
        return kForeignData;
    const Hid space{H5Dget_space(dataset), H5Sclose};
    const Hid type{H5Dget_type(dataset), H5Tclose};
    const hssize_t count = space.id >= 0 ? H5Sget_simple_extent_npoints(space.id) : -1;
    const std::size_t size = type.id >= 0 ? H5Tget_size(type.id) : 0;
    if (count < 0 || size == 0)
        return kDamaged;
    const double claimed = static_cast<double>(count) * static_cast<double>(size);
    const auto stored = static_cast<double>(H5Dget_storage_size(dataset));
    const bool filtered = H5Pget_nfilters(plist.id) > 0;
    if (filtered && claimed > static_cast<double>(kMatMostInflatedBytes))
        return kExpandsTooFar;
    if (filtered)
        if (std::string why = WhyChunksAreRefused(dataset, plist.id, size, fileBytes); !why.empty())
            return why;
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
        screen.why = kDamaged;
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
        return kDamaged;
    Screen screen;
    screen.fileBytes = fileBytes;
    if (H5Lvisit(file.id, H5_INDEX_NAME, H5_ITER_NATIVE, Visit, &screen) < 0 && screen.why.empty())
        screen.why = kDamaged;
    return screen.why;
}

} // namespace tw
