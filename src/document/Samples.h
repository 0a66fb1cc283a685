#pragma once
#include "app/FileUtil.h"
#include "document/PeakSummary.h"
#include "document/PointBuffer.h"
#include "document/SampleSpan.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

namespace tw {

// The points of the wave and their count, in the composer's own width. Readers get const views;
// every change goes through Write (values of a named range) or one of the length changes, and
// is marked until the commit takes it.
class Samples {
  public:
    explicit Samples(SampleWidth width = SampleWidth::Int16);
    Samples(Samples&&) = default;
    Samples& operator=(Samples&&) = delete;
    Samples(const Samples&) = delete;
    Samples& operator=(const Samples&) = delete;

    SampleWidth width() const;
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    std::int32_t at(std::size_t i) const; // widened
    SampleView view() const;
    // The FM composer's points; empty in 16-bit storage.
    std::span<const std::int32_t> int32() const;

    // The one entry for changed values: write gets all the points and changes only [first,
    // last] (cut to the wave; kLast: through the last point). It returns nothing, or false when
    // it wrote nothing, which then leaves no mark. False when nothing was written.
    static constexpr std::size_t kLast = static_cast<std::size_t>(-1);
    template <class Writer> bool Write(std::size_t first, std::size_t last, Writer&& write);

    // Length changes; each marks the whole wave. A length change resizes the points where they
    // lie, so the wave is never held twice; std::bad_alloc when the memory is not there.
    void Assign(std::size_t n, std::int32_t value);
    void Assign(std::span<const std::int32_t> values); // each converted with ToStored
    void Resize(std::size_t n, std::int32_t value);    // new points get value

    // Replaces the points by a native file's, read straight into the storage they have, in the
    // stored width: no second copy of the wave is made. A file that cannot be opened or held
    // (too many points for the memory) changes nothing; a read that breaks off midway leaves
    // the wave empty, for the caller that keeps the points on disk to read them back.
    // A cancel through progress is a read that broke off.
    FileResult ReadFile(const std::string& path, PointLayout layout,
                        Progress& progress = NoProgress());
    FileResult WriteFile(const std::string& path, PointLayout layout,
                         Progress& progress = NoProgress()) const;
    FileResult WriteFile(StagedFile& staged, PointLayout layout, // staged, not committed
                         Progress& progress = NoProgress()) const;
    // Puts back the marked points from path, which held all the points before the marks were
    // made: only the marked range where the file's bytes are the stored points, the whole file
    // after a length change. The points then equal the file and carry no mark. A failure is
    // that of ReadFile; a marked range that cannot be read whole is left as it was.
    FileResult ReadBack(const std::string& path, PointLayout layout);

    // What changed since the last commit: the merged range of changed points, and whether the
    // length changed (the whole wave is then new).
    struct Change {
        std::size_t first = 0, last = 0;
        bool length = false;
    };
    const std::optional<Change>& pending() const { return pending_; }
    std::optional<Change> TakePending();

    // The min/max summary of the points as mask shows them, for a peak view: built on the first
    // call (again when the mask differs), then kept in step by every change of the points.
    const PeakSummary& peaks(const MarkerBitMask& mask = {}) const;

  private:
    using Values = std::variant<PointBuffer<std::int16_t>, PointBuffer<std::int32_t>>;
    Values values_;
    std::optional<Change> pending_;
    mutable PeakSummary peaks_;

    static Values Empty(SampleWidth width);

    SampleSpan all();
    // Every change ends here: the one place that derived data (the peak summary) follows the
    // points. After a length change the points before first are as they were.
    void Changed(std::size_t first, std::size_t last, bool length);
    void LengthChanged(std::size_t kept = 0);
};

template <class Writer> bool Samples::Write(std::size_t first, std::size_t last, Writer&& write) {
    if (first > last || first >= size())
        return false;
    last = std::min(last, size() - 1);
    if constexpr (std::is_void_v<std::invoke_result_t<Writer&, SampleSpan>>) {
        write(all());
    } else if (!write(all())) {
        return false;
    }
    Changed(first, last, false);
    return true;
}

} // namespace tw
