#include "Arguments.h"

#include "app/PointLimits.h"

#include <cmath>
#include <type_traits>

namespace py = pybind11;

namespace tw::python {

namespace {

template <class T>
bool CopyChecked(const py::array& array, std::int64_t lowest, std::int64_t highest,
                 std::vector<std::int32_t>& out) {
    if (!py::isinstance<py::array_t<T>>(array))
        return false;
    const auto values = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(array);
    const T* data = values.data();
    const auto n = static_cast<std::size_t>(values.size());
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        bool inside;
        if constexpr (std::is_unsigned_v<T>)
            inside = static_cast<std::uint64_t>(data[i]) <= static_cast<std::uint64_t>(highest);
        else
            inside = data[i] >= lowest && data[i] <= highest;
        if (!inside)
            throw py::value_error("point " + std::to_string(i) + " (" + std::to_string(data[i]) +
                                  ") is outside " + std::to_string(lowest) + ".." +
                                  std::to_string(highest));
        out[i] = static_cast<std::int32_t>(data[i]);
    }
    return true;
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

std::vector<std::int32_t> IntegerPoints(const py::handle& points, std::int64_t lowest,
                                        std::int64_t highest, const std::string& what) {
    if (!py::isinstance<py::array>(points))
        throw py::type_error(what + " must be a numpy array of integers");
    const auto array = py::reinterpret_borrow<py::array>(points);
    if (array.ndim() != 1)
        throw py::value_error(what + " must be one-dimensional");
    std::vector<std::int32_t> out;
    const bool copied = CopyChecked<std::int16_t>(array, lowest, highest, out) ||
                        CopyChecked<std::int32_t>(array, lowest, highest, out) ||
                        CopyChecked<std::int64_t>(array, lowest, highest, out) ||
                        CopyChecked<std::int8_t>(array, lowest, highest, out) ||
                        CopyChecked<std::uint8_t>(array, lowest, highest, out) ||
                        CopyChecked<std::uint16_t>(array, lowest, highest, out) ||
                        CopyChecked<std::uint32_t>(array, lowest, highest, out) ||
                        CopyChecked<std::uint64_t>(array, lowest, highest, out);
    if (!copied)
        throw py::type_error(what + " must be integers, not " +
                             py::str(array.dtype()).cast<std::string>());
    return out;
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
