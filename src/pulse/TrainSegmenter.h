#pragma once
#include "host/ExchangeFile.h"
#include "pulse/TrainCompiler.h"

#include <string>
#include <vector>

namespace tw {

// One step of the sequence table the host plays: the segment file and how often.
using SequenceStep = ExchangeFile::PulseSequence::Step;

// Cuts a compiled train into segment files "Seg-<n>.wav" in the tmp folder (16-bit
// little-endian samples, no header) and the steps that play them. The steps are kept here and
// written to the exchange file in one go by WriteSequenceTable().
class TrainSegmenter {
  public:
    TrainSegmenter(const TrainCompiler& compiled, int mode);

    int BuildSequenced();   // mode 0: 1, or 0 when the step limit is exceeded (reported)
    int BuildPerSection();  // modes 1 and 2: 4
    void BuildContinuous(); // mode 5

    // One new segment of the samples pos .. pos + len - 1 starting at link `link`; one step.
    void WriteStretch(long long pos, long long len, int link, int repeat);
    // n samples of one code as one or two steps over short flat segments shared in this run.
    void WriteFlatRun(long long n, int code);

    // Replaces the exchange file's sequence table by the steps (an empty table after a failure).
    bool WriteSequenceTable() const;

    static std::string SegmentPath(const std::string& tmpFolder, int n);

    int mode;
    double minSegment;
    bool tooLong = false; // the segments would pass kMaxTrainSamples samples: nothing more written
    int nextSegment = 1;
    int segmentCount = 1;
    double memoryUsed = 0;
    std::vector<SequenceStep> steps; // step k is steps[k - 1]; nextStep is steps.size() + 1

  private:
    struct FlatSegment {
        int segment;
        int code;
        long long length;
    };
    std::string segmentPath(int n) const; // in the session's tmp folder
    std::string writeSegment(long long pos, long long len, int link, int times);
    bool take(long long samples, long long times = 1); // from the budget, else tooLong
    std::string flatSegment(int code, long long length);

    const TrainCompiler& compiled_;
    const std::vector<LinkEntry>& links_;
    std::vector<FlatSegment> flatSegments_;
    long long budget_; // samples that may still be written
};

} // namespace tw
