#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tw::python {

// A path argument: str, bytes or os.PathLike, as the file system names it.
std::string PathArgument(const pybind11::handle& path);

// A level range (low, high) of finite numbers with low below high; ValueError otherwise.
struct LevelRange {
    double low = -8192;
    double high = 8191;
};
LevelRange RangeArgument(const pybind11::handle& range);

// An array-like of integers (any width and byte order) as a numpy array. TypeError for other
// element types, ValueError for other shapes (what names them: "points for .wav").
pybind11::array IntegerArray(const pybind11::handle& points, const std::string& what);

// A one-dimensional array-like of integers within [lowest, highest], as 32-bit points. TypeError
// for other element types, ValueError for other shapes and for values outside the bounds.
std::vector<std::int32_t> IntegerPoints(const pybind11::handle& points, std::int64_t lowest,
                                        std::int64_t highest, const std::string& what);

// A whole number of points from 1 to the most 16-bit points memory holds; ValueError otherwise.
long PointCount(long points);

// Hands the vector's memory to a new numpy array without copying it.
template <class T> pybind11::array_t<T> ToArray(std::vector<T>&& values) {
    auto* owned = new std::vector<T>(std::move(values));
    pybind11::capsule free(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
    return pybind11::array_t<T>({owned->size()}, {sizeof(T)}, owned->data(), free);
}

} // namespace tw::python
