#include "support/HostileFiles.h"

#include <filesystem>
#include <sys/stat.h>

namespace tw::test {

namespace fs = std::filesystem;

const std::vector<HostileFile>& HostileMatFiles() {
    static const std::vector<HostileFile> files{
        {"external-storage.mat", "The file could not be read: it refers to data in another file."},
        {"external-fifo.mat", "it refers to data in another file"},
        {"virtual.mat", "it refers to data in another file"},
        {"external-link.mat", "it refers to data in another file"},
        {"unallocated.mat", "The file could not be read: it claims more data than it holds."},
        {"claims-2g.mat", "it claims more data than it holds"},
        {"self-cell.mat", "The file could not be read: the reader failed on it (Segmentation"},
        {"zlib-bomb.mat", "The file could not be read: it expands to more than 1 GiB when"},
        {"hdf5-bomb.mat", "it expands to more than 1 GiB when decompressed"},
        {"chunk-bomb.mat", "The file could not be read: a chunk of it expands past the size of a "
                           "chunk."},
        {"v4-long-name.mat", "The file could not be read: it claims more data than it holds."},
    };
    return files;
}

HostileFolder::HostileFolder(const std::string& folder) : folder_(folder) {
    fs::copy(std::string(TW_TEST_DATA_DIR) + "/hostile", folder_,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ::mkfifo(at("fifo").c_str(), 0600);
    previous_ = fs::current_path().string();
    fs::current_path(folder_);
}

HostileFolder::~HostileFolder() {
    std::error_code ec;
    fs::current_path(previous_, ec);
}

} // namespace tw::test
