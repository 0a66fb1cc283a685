#pragma once
#include "document/ImportStream.h"
#include "document/TextWave.h"
#include "document/WaveFormats.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Finds the header of a column file, the text fed a piece at a time: the first line that begins
// with "time" (any case) or "\"Time".
class ColumnHeaderFinder {
  public:
    // Looks at the lines that begin in the next piece (and at one that began before it and is
    // still too short to tell); true once the header line is found.
    bool feed(std::string_view piece);
    // The end of the text: a line begun too short to tell is told now.
    bool finish();
    // Where the header line begins, once found.
    std::uint64_t lineStart() const { return *found_; }

  private:
    std::uint64_t fed_ = 0;       // the bytes fed so far
    std::uint64_t lineStart_ = 0; // of the line whose first bytes are gathered
    std::string first_;           // those bytes, while fewer than it takes to tell
    bool gathering_ = true;       // a line began and is not told yet
    std::optional<std::uint64_t> found_;

    bool tell(bool atEnd);
};

// The row values after the header, a piece at a time: each row takes askDim + 1 numbers,
// skipping anything but digits, '-' and '+' before each, and keeps the last. A row left
// unfinished at a piece's end goes on in the next; one unfinished at the text's end is dropped.
class ColumnRows {
  public:
    explicit ColumnRows(int askDim) : perRow_(askDim + 1) {}
    // Hands each row's value to `take`; false on a number out of range (or when take refuses).
    template <class Take> bool read(std::string_view piece, Take&& take);

  private:
    int perRow_;
    int taken_ = 0;    // numbers of the current row read so far
    double value_ = 0; // the last of them

    static bool StartsNumber(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+'; }
};

// The values of a column file in order, with their extremes: in memory up to a bound, beyond it
// in an unnamed temporary file, so that memory does not grow with the file.
class ColumnValues {
  public:
    ColumnValues() = default;
    ~ColumnValues();
    ColumnValues(const ColumnValues&) = delete;
    ColumnValues& operator=(const ColumnValues&) = delete;

    bool add(double v); // false when the temporary file cannot be written (failure())
    void clear();
    std::uint64_t count() const { return count_; }
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    // Hands the values out in order, a block at a time; false when take refused one or they
    // could not be read back (failure()).
    bool forEach(const std::function<bool(std::span<const double>)>& take);
    const FileResult& failure() const { return failure_; }

  private:
    std::vector<double> held_;
    std::FILE* spill_ = nullptr;
    std::uint64_t count_ = 0;
    double minimum_ = 1e9, maximum_ = -1e9;
    FileResult failure_;

    bool spillHeld();
};

// The linear map of the column stretch: +-A (A the larger magnitude) onto vMin..vMax.
struct LinearMap {
    double scale = 1;
    double offset = 0;
};
LinearMap ColumnStretch(double minimum, double maximum, double vMin, double vMax);

// Header, rows, stretch and rounding into points of ctx.layout, a piece at a time.
bool ReadColumnPoints(ImportSource& in, const ImportContext& ctx, PointSink& out);
// The same over a whole text.
ImportResult ImportColumns(std::string_view text, const ImportContext& ctx);

template <class Take> bool ColumnRows::read(std::string_view piece, Take&& take) {
    const char* p = piece.data();
    const char* last = p + piece.size();
    for (;;) {
        while (taken_ < perRow_) {
            while (p != last && !StartsNumber(*p))
                ++p;
            if (p == last)
                return true;
            const char* end = ScanNumber(p, last, value_);
            if (end != p) {
                p = end;
                ++taken_;
                continue;
            }
            // A sign that starts no number, or a number too large for a double.
            if (*p >= '0' && *p <= '9')
                return false;
            ++p;
        }
        taken_ = 0;
        if (!take(value_))
            return false;
    }
}

} // namespace tw
