#include "document/Samples.h"

#include <cerrno>
#include <fstream>
#include <new>
#include <utility>
#include <vector>

namespace tw {

Samples::Values Samples::Empty(SampleWidth width) {
    if (width == SampleWidth::Int32)
        return PointBuffer<std::int32_t>();
    return PointBuffer<std::int16_t>();
}

Samples::Samples(SampleWidth width) : values_(Empty(width)) {}

SampleWidth Samples::width() const {
    return std::holds_alternative<PointBuffer<std::int16_t>>(values_) ? SampleWidth::Int16
                                                                      : SampleWidth::Int32;
}

std::size_t Samples::size() const {
    return std::visit([](const auto& v) { return v.size(); }, values_);
}

std::int32_t Samples::at(std::size_t i) const {
    return std::visit([i](const auto& v) { return static_cast<std::int32_t>(v[i]); }, values_);
}

SampleView Samples::view() const {
    return std::visit([](const auto& v) { return SampleView(v.span()); }, values_);
}

std::span<const std::int32_t> Samples::int32() const {
    if (const auto* v = std::get_if<PointBuffer<std::int32_t>>(&values_))
        return v->span();
    return {};
}

SampleSpan Samples::all() {
    return std::visit([](auto& v) { return SampleSpan(v.span()); }, values_);
}

void Samples::Assign(std::size_t n, std::int32_t value) {
    std::visit(
        [&](auto& v) {
            using Sample = typename std::decay_t<decltype(v)>::value_type;
            v.assign(n, ToStored<Sample>(value));
        },
        values_);
    LengthChanged();
}

void Samples::Assign(std::span<const std::int32_t> values) {
    std::visit(
        [&](auto& v) {
            using Sample = typename std::decay_t<decltype(v)>::value_type;
            if (!v.resize(values.size()))
                throw std::bad_alloc();
            std::transform(values.begin(), values.end(), v.begin(), ToStored<Sample>);
        },
        values_);
    LengthChanged();
}

void Samples::Resize(std::size_t n, std::int32_t value) {
    const std::size_t kept = std::min(n, size());
    std::visit(
        [&](auto& v) {
            using Sample = typename std::decay_t<decltype(v)>::value_type;
            v.resize(n, ToStored<Sample>(value));
        },
        values_);
    LengthChanged(kept);
}

FileResult Samples::ReadFile(const std::string& path, PointLayout layout, Progress& progress) {
    const std::size_t before = size();
    FileResult result =
        std::visit([&](auto& v) { return ReadNativeFile(path, layout, v, progress); }, values_);
    if (result || size() != before)
        LengthChanged();
    return result;
}

FileResult Samples::ReadBack(const std::string& path, PointLayout layout) {
    const std::optional<Change> marked = pending_;
    const auto bytesPerPoint = static_cast<std::size_t>(BytesPerPoint(layout));
    const bool storedBytes = layout != PointLayout::Record6 &&
                             bytesPerPoint == (width() == SampleWidth::Int16 ? 2u : 4u) &&
                             FileSize(path) == static_cast<std::int64_t>(size() * bytesPerPoint);
    FileResult read;
    if (marked && (marked->length || !storedBytes)) {
        read = ReadFile(path, layout);
    } else if (marked) {
        std::ifstream in(path, std::ios::binary);
        const std::size_t count = marked->last - marked->first + 1;
        std::visit(
            [&](auto& v) {
                // Read aside first: a read that breaks off leaves the marked points as they are.
                std::vector<std::remove_reference_t<decltype(*v.data())>> old(count);
                in.seekg(static_cast<std::streamoff>(marked->first * bytesPerPoint));
                in.read(reinterpret_cast<char*>(old.data()),
                        static_cast<std::streamsize>(count * bytesPerPoint));
                if (in)
                    std::copy(old.begin(), old.end(), v.data() + marked->first);
            },
            values_);
        if (!in)
            read = FileResult::FromErrno(FileResult::Action::Read, path, errno != 0 ? errno : EIO);
        else
            Changed(marked->first, marked->last, false);
    }
    if (read)
        pending_.reset();
    return read;
}

FileResult Samples::WriteFile(const std::string& path, PointLayout layout,
                              Progress& progress) const {
    return WriteNativeFile(path, view(), layout, progress);
}

FileResult Samples::WriteFile(StagedFile& staged, PointLayout layout, Progress& progress) const {
    return WriteNativeFile(staged, view(), layout, progress);
}

std::optional<Samples::Change> Samples::TakePending() {
    return std::exchange(pending_, std::nullopt);
}

const PeakSummary& Samples::peaks(const MarkerBitMask& mask) const {
    if (!peaks_.built() || peaks_.mask() != mask)
        peaks_.Build(view(), mask);
    return peaks_;
}

void Samples::LengthChanged(std::size_t kept) {
    Changed(kept, empty() ? 0 : size() - 1, true);
}

void Samples::Changed(std::size_t first, std::size_t last, bool length) {
    if (length)
        peaks_.Resize(view(), first);
    else
        peaks_.Update(view(), first, last);
    if (length || !pending_) {
        pending_ = Change{length ? 0 : first, last, length};
        return;
    }
    pending_->first = std::min(pending_->first, first);
    pending_->last = std::max(pending_->last, last);
}

} // namespace tw
