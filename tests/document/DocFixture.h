#pragma once
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/Composer.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "fm/FmComposer.h"
#include "support/HostRecorder.h"
#include "support/SampleValues.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw::test {

// Stands in for the host window "Consolia": records every text and notice.
struct CountingListener : WeDocListener {
    int wavelengthShows = 0, activeChanges = 0;
    std::optional<int> traceType = 0; // the answer to the trace-type question
    int traceTypeQuestions = 0;
    std::string title;
    std::vector<std::pair<std::string, bool>> paths;
    std::vector<std::pair<std::size_t, std::size_t>> repainted;
    void repaint(std::size_t first, std::size_t last) override {
        repainted.emplace_back(first, last);
    }
    void wavelengthShown() override { ++wavelengthShows; }
    void activeChanged() override { ++activeChanges; }
    void titleSet(const std::string& t) override { title = t; }
    void pathNameChanged(const std::string& p, bool recent) override {
        paths.emplace_back(p, recent);
    }
    std::optional<int> askTraceType() override {
        ++traceTypeQuestions;
        return traceType;
    }
};

inline std::vector<std::int16_t> ReadInt16File(const std::string& path) {
    std::string bytes = ReadWholeFile(path).value_or("");
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

inline std::string Int16Bytes(const std::vector<std::int16_t>& values) {
    std::string bytes(values.size() * 2, '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// The FM composer's document forms without its settings: the channel set-up does nothing and
// the marker points are what a test makes them.
struct BareFmComposer : FmComposer {
    explicit BareFmComposer(const LaunchState& session) : FmComposer(session, false) {}
    std::function<void(WeDoc&)> markers;
    bool SetUpChannel(WeDoc&) override { return true; }
    void ComputeMarkers(WeDoc& d) override {
        if (markers)
            markers(d);
    }
    void LoadSegmentRange(WeDoc&) override {}
    void WaveOpened(WeDoc&) override {}
    void PlaceMarkers(std::vector<std::int32_t> at) { markers_.indices = std::move(at); }
};

// A sandboxed standard (or FM) composer with its document after the view's first update.
class DocFixture : public ::testing::Test {
  protected:
    explicit DocFixture(int composerId = 0) : box(composerId) {
        if (composerId == kFmComposer)
            composer = std::make_unique<BareFmComposer>(box.session());
        else
            composer = std::make_unique<Composer>(box.session());
    }
    Sandbox box;
    HostRecorder link{"Consolia"};
    CountingListener seen;
    std::unique_ptr<Composer> composer;
    std::unique_ptr<WeDoc> doc;

    // Replaces the composer the document is started with.
    template <class C> C& use() {
        auto made = std::make_unique<C>(box.session());
        C& c = *made;
        composer = std::move(made);
        return c;
    }
    BareFmComposer& bareFm() { return dynamic_cast<BareFmComposer&>(*composer); }

    void SetUp() override { box.set(box.exchange(), "AppTits", "AC", "Consolia"); }
    void TearDown() override { doc.reset(); }
    void start() {
        doc = std::make_unique<WeDoc>(*composer, box.prompts);
        doc->setListener(&seen);
        LoadActiveSegment(*doc);
        seen = CountingListener();
        box.prompts.clear();
        link.sent.clear();
    }
    std::string exch(const std::string& section, const std::string& key) const {
        return box.get(box.exchange(), section, key);
    }
};

} // namespace tw::test
