#include "host/ExchangeFile.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tw {

namespace {
const std::string& exchange() {
    return launch().exchangeFile;
}

// ProfileRecord of the exchange file: the value, or nothing when absent (reported unless quiet)
// or too long (always reported).
std::optional<std::string> record(std::string_view section, const std::string& key, int size,
                                  bool quiet = true) {
    std::string v;
    if (!ProfileRecord(section, key.c_str(), v, size, exchange(), quiet))
        return std::nullopt;
    return v;
}

std::optional<double> number(std::string_view section, std::string_view key) {
    const double v = ProfileNumber(key, 0, section, kAbsent);
    return IsAbsent(v) ? std::nullopt : std::optional<double>(v);
}

constexpr const char* kSettings = "Settings";
constexpr const char* kModif = "Modif";
} // namespace

std::string ExchangeFile::Instrument::DescrFile() {
    return record("Instrument", "DescrFile", 260, false).value_or("");
}

std::optional<std::string> ExchangeFile::Instrument::Family() {
    return record("Instrument", "Family", 260);
}

int ExchangeFile::Instrument::Channels() {
    std::optional<double> count;
    if (auto v = record("Instrument", "Channels", 260); !v || !(count = StoredNumber(*v)))
        return 1;
    return static_cast<int>(
        CheckedWhole(*count, 1, kMaxChannels, 1, {exchange(), "Instrument", "Channels"}));
}

double ExchangeFile::Instrument::ChannelsAsStored() {
    return ProfileNumber("Channels", 0, "Instrument", 1);
}

std::string ExchangeFile::Instrument::Model(bool reportAbsence) {
    return record("Instrument", "Model", 260, !reportAbsence).value_or("");
}

int ExchangeFile::Active::Channel(int channels, int fallback) {
    std::optional<double> channel;
    if (auto v = record(kSettings, "ActiveCh", 260); !v || !(channel = StoredNumber(*v)))
        return 0;
    return static_cast<int>(
        CheckedWhole(*channel, 0, channels - 1, fallback, {exchange(), kSettings, "ActiveCh"}));
}

void ExchangeFile::Active::WriteChannel(int channel) {
    WriteProfileKey(kSettings, "ActiveCh", std::to_string(channel), exchange());
}

std::optional<int> ExchangeFile::Active::Segment(int channel, bool fpSegMode, int fallback) {
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    const double seg = ProfileNumber(key, fpSegMode ? 0 : channel, kSettings, kAbsent);
    if (IsAbsent(seg))
        return std::nullopt;
    return static_cast<int>(
        CheckedWhole(seg, 1, kMaxSegmentNumber, fallback, {exchange(), kSettings, key}));
}

void ExchangeFile::Active::StoreSegment(int segment, bool fpSegMode) {
    // Quiet: a channel that is not in the list leaves the list as it is.
    int channel = 0;
    if (auto v = record(kSettings, "ActiveCh", 260))
        channel = StoredWhole(*v);
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    auto list = record(kSettings, key, 260, false);
    if (!list)
        return;
    std::istringstream in(*list);
    std::vector<long> numbers;
    double n;
    while (in >> n)
        numbers.push_back(ClampedInt(n));
    if (channel >= 0 && channel < static_cast<int>(numbers.size()))
        numbers[channel] = segment;
    std::string out;
    for (long x : numbers)
        out += std::to_string(x) + " ";
    if (out.size() > 39)
        out.resize(39);
    WriteProfileKey(kSettings, key, out, exchange());
}

ChannelSegment ExchangeFile::Active::Reread(ChannelSegment now, bool fpSegMode) {
    ChannelSegment read;
    read.channel = Channel(Instrument::Channels(), now.channel);
    read.segment = Segment(read.channel, fpSegMode, now.segment).value_or(now.segment);
    return read;
}

std::string ExchangeFile::Settings::Rsclk() {
    return record(kSettings, "Rsclk", 180).value_or("");
}

std::optional<std::string> ExchangeFile::Settings::Wfmt() {
    return record(kSettings, "Wfmt", 260);
}

std::optional<int> ExchangeFile::Settings::TraceType() {
    if (auto v = record(kSettings, "TracType", 260))
        return StoredWhole(*v);
    return std::nullopt;
}

void ExchangeFile::Settings::StoreTraceType(int type) {
    WriteProfileKey(kSettings, "TracType", std::to_string(type), exchange());
}

std::optional<double> ExchangeFile::Settings::DownloadMode() {
    return number(kSettings, "DwnMode");
}

double ExchangeFile::Settings::SampleClock(int index, double absent) {
    return ProfileNumber("Sclk", index, kSettings, absent);
}

bool ExchangeFile::Settings::StorePulseDownload(int channel, const std::string& amplitude,
                                                const std::string& offset,
                                                const std::string& sampleClock, bool userMode) {
    const char* modeKey = launch().family == "K4412" ? "WformMode" : "WfMode";
    const std::pair<const char*, std::string> values[] = {{"Ampl", amplitude},
                                                          {"Offs", offset},
                                                          {"Sclk", sampleClock},
                                                          {modeKey, userMode ? "1" : "2"}};
    std::vector<std::pair<const char*, std::string>> texts;
    for (const auto& [key, text] : values)
        texts.emplace_back(
            key, ChannelSettingText(record(kSettings, key, 40).value_or(""), channel, text));
    profile::Transaction t(exchange());
    for (const auto& [key, text] : texts)
        t.write(kSettings, key, text);
    return t.commit();
}

std::string ExchangeFile::Titles::Host() {
    return record("AppTits", "AC", 260).value_or("");
}

bool ExchangeFile::Titles::Publish(int composerId, const std::string& title) {
    const char* key = composerId == kStandardComposer ? "TD"
                      : composerId == kFmComposer     ? "FMC"
                      : composerId == kPulseComposer  ? "PLS"
                                                      : nullptr;
    if (!key)
        return false;
    // Painting happens often; rewrite the exchange file only when the title changed.
    if (record("AppTits", key, 520) != title)
        WriteProfileKey("AppTits", key, title, exchange());
    return true;
}

std::string ExchangeFile::Segments::ChannelTable(int channel) {
    return strprintf("SegmTbl-ch%d", channel);
}

std::string ExchangeFile::Segments::FmTable() {
    return "FmSegmTbl";
}

std::string ExchangeFile::Segments::Table(int segment, int channel, bool fpSegMode) {
    return !fpSegMode && segment >= 1 ? ChannelTable(channel) : FmTable();
}

std::string ExchangeFile::Segments::Key(int segment) {
    return segment < 0 ? "1" : std::to_string(segment);
}

std::optional<std::string> ExchangeFile::Segments::File(const std::string& table, int segment,
                                                        bool reportAbsence) {
    return record(table, Key(segment), 260, !reportAbsence);
}

bool ExchangeFile::Segments::Record(const std::string& table, int segment,
                                    const std::string& path) {
    const std::string key = Key(segment);
    profile::Transaction batch(exchange());
    batch.write(table, key, path);
    batch.write(kModif, key, "Yes");
    return batch.commit();
}

std::set<long> ExchangeFile::Segments::Numbers(const std::string& table) {
    std::set<long> used;
    for (const auto& [key, value] : profile::SectionEntries(exchange(), table)) {
        char* end = nullptr;
        long n = std::strtol(key.c_str(), &end, 10);
        if (end != key.c_str() && *end == '\0')
            used.insert(n);
    }
    return used;
}

void ExchangeFile::Segments::MarkSwitched() {
    WriteProfileKey(kModif, "Common", "Yes", exchange());
}

std::string ExchangeFile::Segments::SavedKey(int segment, int channel) {
    return strprintf("Segm%d-%d", segment, channel);
}

std::string ExchangeFile::Segments::SavedKey(int segment) {
    return strprintf("Segm%d", segment);
}

void ExchangeFile::Segments::RemoveModified(const std::string& savedKey) {
    DeleteProfileKey(kModif, savedKey, exchange());
}

void ExchangeFile::Segments::MarkLoaded(int channel, int segment) {
    WriteProfileKey(strprintf("SegmStt-Ch%d", channel), std::to_string(segment), "Loaded",
                    exchange());
}

std::optional<std::string> ExchangeFile::Segments::PatternFile(int channel, int segment) {
    return record(strprintf("PattTbl-ch%d", channel), std::to_string(segment), 260);
}

void ExchangeFile::Segments::RecordPatternFile(int channel, int segment, const std::string& path) {
    WriteProfileKey(strprintf("PattTbl-ch%d", channel), std::to_string(segment), path, exchange());
}

std::string ExchangeFile::MarkerBits::ListKey(int bit, int segment) {
    return strprintf("%dBit%d", bit, segment);
}

std::string ExchangeFile::MarkerBits::InvertKey(int bit, int segment) {
    return strprintf("%dInv%d", bit, segment);
}

namespace {
std::string bitKey(int bit, bool invert, int segment) {
    return invert ? ExchangeFile::MarkerBits::InvertKey(bit, segment)
                  : ExchangeFile::MarkerBits::ListKey(bit, segment);
}
} // namespace

ExchangeFile::MarkerBits::Setting ExchangeFile::MarkerBits::Read(const std::string& table, int bit,
                                                                 int segment) {
    return {record(table, bitKey(bit, false, segment), 2000).value_or(""),
            record(table, bitKey(bit, true, segment), 2000).value_or("")};
}

bool ExchangeFile::MarkerBits::Store(const std::string& table, int bit0, int segment,
                                     const Setting (&bits)[2]) {
    profile::Transaction t(exchange());
    for (int k = 0; k < 2; ++k) {
        t.write(table, bitKey(bit0 + k, false, segment), bits[k].list);
        t.write(table, bitKey(bit0 + k, true, segment), bits[k].invert);
    }
    return t.commit();
}

std::vector<ExchangeFile::MarkerBits::Stored>
ExchangeFile::MarkerBits::ForDownload(const std::string& table, int segment) {
    std::vector<Stored> found;
    for (int bit : {13, 14})
        for (bool invert : {false, true})
            if (auto value = record(table, bitKey(bit, invert, segment), 410))
                found.push_back({bit, invert, *value});
    return found;
}

const char* ExchangeFile::WaveParameters::KeyText(Key key) {
    switch (key) {
    case Start:
        return "Prv_bgn";
    case End:
        return "Prv_end";
    case Min:
        return "Wavmin";
    case Max:
        return "Wavmax";
    case DcLevel:
        return "Dc_level";
    case LowLevel:
        return "Fmin";
    case HighLevel:
        return "Fmax";
    case Cycles:
        return "Cycl";
    }
    return "";
}

std::optional<std::string> ExchangeFile::WaveParameters::Text(const std::string& section, Key key) {
    return Text(section, KeyText(key));
}

std::optional<std::string> ExchangeFile::WaveParameters::Text(const std::string& section,
                                                              std::string_view key) {
    return profile::GetValue(exchange(), section, key);
}

std::optional<double> ExchangeFile::WaveParameters::Number(const std::string& section, Key key) {
    return number(section, KeyText(key));
}

std::size_t ExchangeFile::WaveParameters::Count(const std::string& section) {
    return profile::SectionEntries(exchange(), section).size();
}

bool ExchangeFile::WaveParameters::Store(
    const std::string& section, const std::vector<std::pair<Key, std::string>>& values,
    const std::vector<std::pair<std::string, std::string>>& shapeValues) {
    profile::Transaction t(exchange());
    for (const auto& [key, text] : values)
        t.write(section, KeyText(key), text);
    for (const auto& [key, text] : shapeValues)
        t.write(section, key, text);
    return t.commit();
}

bool ExchangeFile::WaveParameters::StoreRange(const std::string& section, long start, long end) {
    return Store(section, {{Start, std::to_string(start)}, {End, std::to_string(end)}});
}

bool ExchangeFile::WaveParameters::ForgetRange(const std::string& section) {
    profile::Transaction t(exchange());
    t.deleteKey(section, KeyText(Start));
    t.deleteKey(section, KeyText(End));
    return t.commit();
}

bool ExchangeFile::WaveParameters::Forget(const std::string& section) {
    return DeleteProfileSection(section, exchange());
}

namespace {
constexpr const char* kEquationButtons = "Equ_Buttons";

const char* buttonKey(ExchangeFile::Dialogs::Button button) {
    using D = ExchangeFile::Dialogs;
    switch (button) {
    case D::Original:
        return "Original";
    case D::Scale:
        return "Scale";
    case D::AutoButton:
        return "AutoButton";
    case D::CheckBox:
        return "CheckBox";
    case D::ButtonAliases:
        return "ButtonAliases";
    }
    return "";
}
} // namespace

std::optional<std::pair<int, int>> ExchangeFile::Dialogs::Position(const std::string& section) {
    auto text = profile::GetValue(exchange(), section, "DrawRect");
    std::pair<int, int> position;
    if (!text || std::sscanf(text->c_str(), "%d %d", &position.first, &position.second) != 2)
        return std::nullopt;
    return position;
}

bool ExchangeFile::Dialogs::StorePosition(const std::string& section, int left, int top) {
    return profile::WriteValue(exchange(), section, "DrawRect", strprintf("%d %d", left, top));
}

std::optional<bool> ExchangeFile::Dialogs::EquationButton(Button button) {
    if (auto v = number(kEquationButtons, buttonKey(button)))
        return *v != 0;
    return std::nullopt;
}

bool ExchangeFile::Dialogs::StoreEquation(
    const std::string& waveParameters, const std::vector<std::pair<Button, bool>>& buttons,
    const std::vector<std::pair<WaveParameters::Key, std::string>>& values) {
    profile::Transaction t(exchange());
    for (const auto& [button, on] : buttons)
        t.write(kEquationButtons, buttonKey(button), on ? "1" : "0");
    for (const auto& [key, text] : values)
        t.write(waveParameters, WaveParameters::KeyText(key), text);
    return t.commit();
}

std::optional<std::string> ExchangeFile::Dialogs::PwmField(std::string_view key) {
    return profile::GetValue(exchange(), "PWM", key);
}

bool ExchangeFile::Dialogs::StorePwmFields(
    const std::vector<std::pair<std::string, std::string>>& fields) {
    profile::Transaction t(exchange());
    for (const auto& [key, value] : fields)
        t.write("PWM", key, value);
    return t.commit();
}

std::vector<ExchangeFile::PulseSequence::Step> ExchangeFile::PulseSequence::Read() {
    return ReadFrom(exchange());
}

std::vector<ExchangeFile::PulseSequence::Step>
ExchangeFile::PulseSequence::ReadFrom(const std::string& exchangeFile) {
    profile::Snapshot snap(exchangeFile);
    std::vector<Step> steps;
    for (int k = 1;; ++k) {
        auto path = snap.get("PulsSeq", strprintf("Stp%d", k));
        if (!path)
            return steps;
        steps.push_back({*path, snap.get("PulsSeq", strprintf("Rpt%d", k)).value_or("")});
    }
}

bool ExchangeFile::PulseSequence::Write(const std::vector<Step>& steps) {
    profile::Transaction t(exchange());
    t.deleteSection("PulsSeq");
    for (size_t k = 0; k < steps.size(); ++k) {
        t.write("PulsSeq", strprintf("Stp%zu", k + 1), steps[k].path);
        t.write("PulsSeq", strprintf("Rpt%zu", k + 1), steps[k].repeat);
    }
    return t.commit();
}

std::string ChannelSettingText(const std::string& stored, int channel, const std::string& text) {
    std::vector<std::string> items;
    if (stored.find(' ') != std::string::npos) {
        std::istringstream in(stored);
        std::string a, b;
        in >> a >> b;
        items = {a, b};
    } else {
        items = {stored};
    }
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (items.size() == 1 || static_cast<int>(i) == channel ? text : items[i]) + " ";
    return out;
}

} // namespace tw
