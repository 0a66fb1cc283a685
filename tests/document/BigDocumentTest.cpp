// A segment of the sample instrument TW3256, 268,435,456 points (512 MiB): Open, an edit, Save,
// a wavelength change and Undo, within 1.5 x the points' bytes + 100 MiB of resident memory.
#include "DocFixture.h"

#include "support/ResourceProbe.h"

#include <fstream>

namespace tw {
namespace {

constexpr std::size_t kPoints = 268435456;
constexpr std::uint64_t kNeeded = std::uint64_t{4} << 30;

std::int16_t Ramp(std::size_t i) {
    return static_cast<std::int16_t>(i % 65536);
}

std::int16_t Inverted(std::int16_t v) {
    return static_cast<std::int16_t>(-v);
}

void WriteRamp(const std::string& path, std::size_t points) {
    std::vector<std::int16_t> block(1 << 20);
    std::ofstream out(path, std::ios::binary);
    for (std::size_t done = 0; done < points; done += block.size()) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = Ramp(done + i);
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 2));
    }
}

// One point of a native 16-bit file, read without reading the file.
std::int16_t PointInFile(const std::string& path, std::size_t index) {
    std::int16_t value = 0;
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(index * 2));
    in.read(reinterpret_cast<char*>(&value), 2);
    return in ? value : std::int16_t{-1};
}

class BigDocumentTest : public test::DocFixture {};

TEST_F(BigDocumentTest, A256MPointSegmentRoundTripsWithinItsMemory) {
    const std::uint64_t memory = test::AvailableMemoryBytes();
    const std::uint64_t disk = test::FreeDiskBytes(box.root());
    if (memory < kNeeded || disk < kNeeded)
        GTEST_SKIP() << "a 256M-point segment needs 4 GB of free memory and disk; this machine "
                        "has "
                     << (memory >> 20) << " MiB of memory and " << (disk >> 20)
                     << " MiB of disk free";
    CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/instrument/TW3256.ini", box.descr());
    box.set(box.exchange(), "Instrument", "Model", "TW3256");
    const std::string wave = box.root() + "/big.wav";
    WriteRamp(wave, kPoints);
    start();
    ASSERT_EQ(doc->limits().wavelengthMax, static_cast<double>(kPoints));
    const bool fromHere = test::ResetPeakResident();

    ASSERT_TRUE(doc->Open({wave, kNativeCode}));
    ASSERT_EQ(doc->wavelength(), static_cast<double>(kPoints));
    EXPECT_EQ(doc->samples().at(kPoints - 1), Ramp(kPoints - 1));

    // An edit of 1,000 points in the middle: the working file takes all points, the edit in it.
    const std::size_t L = kPoints / 2, R = L + 999;
    ASSERT_TRUE(doc->SnapshotForUndo());
    ASSERT_TRUE(doc->samples().Write(L, R, [&](SampleSpan points) {
        auto& all = std::get<std::span<std::int16_t>>(points);
        for (std::size_t i = L; i <= R; ++i)
            all[i] = Inverted(all[i]);
    }));
    ASSERT_TRUE(doc->CommitEdit());
    const std::string working = doc->pathName();
    EXPECT_EQ(FileSize(working), static_cast<std::int64_t>(2 * kPoints));
    EXPECT_EQ(PointInFile(working, L), Inverted(Ramp(L)));
    EXPECT_EQ(PointInFile(working, R + 1), Ramp(R + 1));

    doc->SetFileNameFrom(box.root() + "/saved.wav");
    ASSERT_EQ(doc->Save(), SaveResult::Saved);
    EXPECT_EQ(FileSize(doc->fileName()), static_cast<std::int64_t>(2 * kPoints));
    EXPECT_EQ(PointInFile(doc->fileName(), R), Inverted(Ramp(R)));
    EXPECT_EQ(PointInFile(doc->fileName(), kPoints - 1), Ramp(kPoints - 1));

    // The instrument's increment is 32 points.
    ASSERT_TRUE(doc->SetWavelength(static_cast<long>(kPoints) - 32));
    EXPECT_EQ(doc->wavelength(), static_cast<double>(kPoints - 32));
    EXPECT_EQ(FileSize(working), static_cast<std::int64_t>(2 * (kPoints - 32)));
    EXPECT_TRUE(box.prompts.asked.empty());

    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->wavelength(), static_cast<double>(kPoints));
    EXPECT_EQ(doc->samples().at(L), Inverted(Ramp(L)));
    EXPECT_EQ(doc->samples().at(kPoints - 1), Ramp(kPoints - 1));
    EXPECT_EQ(FileSize(working), static_cast<std::int64_t>(2 * kPoints));
    EXPECT_FALSE(doc->CanUndo());

    // No operation held the wave twice.
    if (test::kResidentSizesInflated)
        return;
    const double peakMiB = static_cast<double>(test::PeakResidentBytes()) / (1 << 20);
    EXPECT_LE(peakMiB, 1.5 * 512 + 100) << (fromHere ? "" : "(peak of the whole process)");
}

} // namespace
} // namespace tw
