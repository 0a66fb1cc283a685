#pragma once
#include <cstdint>
#include <string>

namespace tw {

// Why an HDF5 file (a MATLAB 7.3 file) must not be read, as the end of "The file could not be
// read: ...", or "" when nothing stands against it (or it is no HDF5 file): links, external storage
// or virtual datasets that would make the library open another file, and datasets claiming more
// data than their storage, or the file of fileBytes, can hold. Looks at the structure only: no data
// is read.
// The stored chunks of deflated datasets are the exception: each is inflated a block at a time
// and counted, and one that expands past its chunk's size is refused (HDF5's own filter grows its
// buffer for as long as the stream goes on); filters MATLAB does not write are refused.
std::string WhyHdf5IsRefused(const std::string& path, std::uint64_t fileBytes);

} // namespace tw
