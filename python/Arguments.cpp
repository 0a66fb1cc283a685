#include "Arguments.h"

#include "app/PointLimits.h"

#include <cmath>
#include <type_traits>

namespace py = pybind11;

namespace tw::python {

namespace {

// Copies values (already converted to T by numpy) that lie within [lowest, highest].
template <class T>
std::vector<std::int32_t> CopyChecked(const py::array& array, std::int64_t lowest,
                                      std::int64_t highest) {
    const auto values = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(array);
    const T* data = values.data();
    const auto n = static_cast<std::size_t>(values.size());
    std::vector<std::int32_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        bool inside;
        if constexpr (std::is_unsigned_v<T>)
            inside = data[i] <= static_cast<std::uint64_t>(highest);
        else
            inside = data[i] >= lowest && data[i] <= highest;
        if (!inside)
            throw py::value_error("point " + std::to_string(i) + " (" + std::to_string(data[i]) +
                                  ") is outside " + std::to_string(lowest) + ".." +
                                  std::to_string(highest));
        out[i] = static_cast<std::int32_t>(data[i]);
    }
    return out;
}

} // namespace

std::string PathArgument(const py::handle& path) {
    return py::module_::import("os").attr("fsdecode")(path).cast<std::string>();
}

LevelRange RangeArgument(const py::handle& range) {
    LevelRange r;
    try {
        auto pair = range.cast<std::pair<double, double>>();
        r = {pair.first, pair.second};
    } catch (const py::cast_error&) {
        throw py::type_error("range must be a pair of numbers (low, high)");
    }
    if (!std::isfinite(r.low) || !std::isfinite(r.high) || !(r.low < r.high))
        throw py::value_error("range needs (low, high) with low below high");
    return r;
}

py::array IntegerArray(const py::handle& points, const std::string& what) {
    py::array array;
    try {
        array = py::module_::import("numpy").attr("asarray")(points);
    } catch (const py::error_already_set&) {
        throw py::type_error(what + " must be a sequence or array of integers");
    }
    const char kind = array.dtype().kind();
    if (kind != 'i' && kind != 'u')
        throw py::type_error(what + " must be integers (any width and byte order), not " +
                             py::str(array.dtype()).cast<std::string>());
    if (array.ndim() != 1)
        throw py::value_error(what + " must be one-dimensional, not of shape " +
                              py::str(py::tuple(array.attr("shape"))).cast<std::string>());
    return array;
}

std::vector<std::int32_t> IntegerPoints(const py::handle& points, std::int64_t lowest,
                                        std::int64_t highest, const std::string& what) {
    const py::array array = IntegerArray(points, what);
    // The program's own widths as they stand; numpy turns the others into 64-bit integers.
    if (py::isinstance<py::array_t<std::int16_t>>(array))
        return CopyChecked<std::int16_t>(array, lowest, highest);
    if (py::isinstance<py::array_t<std::int32_t>>(array))
        return CopyChecked<std::int32_t>(array, lowest, highest);
    if (array.dtype().kind() == 'u' && array.dtype().itemsize() == 8)
        return CopyChecked<std::uint64_t>(array, lowest, highest);
    return CopyChecked<std::int64_t>(array, lowest, highest);
}

long PointCount(long points) {
    // The points are made in 16 bits.
    const std::size_t most = MemoryPointLimit(sizeof(std::int16_t));
    if (points < 1 || static_cast<unsigned long>(points) > most)
        throw py::value_error("points must be a whole number from 1 to " + std::to_string(most) +
                              " (what the memory holds)");
    return points;
}

} // namespace tw::python
