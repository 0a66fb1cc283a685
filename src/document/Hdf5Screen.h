#pragma once
#include <cstdint>
#include <string>

namespace tw {

// Why an HDF5 file (a MATLAB 7.3 file) must not be read, as the end of "The file could not be
// read: ...", or "" when nothing stands against it (or it is no HDF5 file): links, external storage
// or virtual datasets that would make the library open another file, and datasets claiming more
// data than their storage, or the file of fileBytes, can hold. Looks at the structure only: no data
// is read.
std::string WhyHdf5IsRefused(const std::string& path, std::uint64_t fileBytes);

} // namespace tw
