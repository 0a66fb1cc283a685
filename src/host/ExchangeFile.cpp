#include "host/ExchangeFile.h"

#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tw {

namespace {
// ProfileRecord of the exchange file: the value, or nothing when absent (reported unless quiet)
// or too long (always reported).
std::optional<std::string> record(const LaunchState& session, std::string_view section,
                                  const std::string& key, int size, bool quiet = true) {
    std::string v;
    if (!ProfileRecord(session, section, key.c_str(), v, size, session.exchangeFile, quiet))
        return std::nullopt;
    return v;
}

std::optional<double> number(const LaunchState& session, std::string_view section,
                             std::string_view key) {
    const double v = ProfileNumberIn(session, session.exchangeFile, key, 0, section, kAbsent);
    return IsAbsent(v) ? std::nullopt : std::optional<double>(v);
}

constexpr const char* kSettings = "Settings";
constexpr const char* kModif = "Modif";
} // namespace

std::string ExchangeFile::Instrument::DescrFile() const {
    return record(session_, "Instrument", "DescrFile", 260, false).value_or("");
}

std::optional<std::string> ExchangeFile::Instrument::Family() const {
    return record(session_, "Instrument", "Family", 260);
}

int ExchangeFile::Instrument::Channels() const {
    std::optional<double> count;
    if (auto v = record(session_, "Instrument", "Channels", 260); !v || !(count = StoredNumber(*v)))
        return 1;
    return static_cast<int>(
        CheckedWhole(session_, *count, 1, kMaxChannels, 1, {file(), "Instrument", "Channels"}));
}

double ExchangeFile::Instrument::ChannelsAsStored() const {
    return ProfileNumberIn(session_, file(), "Channels", 0, "Instrument", 1);
}

std::string ExchangeFile::Instrument::Model(bool reportAbsence) const {
    return record(session_, "Instrument", "Model", 260, !reportAbsence).value_or("");
}

int ExchangeFile::Active::Channel(int channels, int fallback) const {
    std::optional<double> channel;
    if (auto v = record(session_, kSettings, "ActiveCh", 260); !v || !(channel = StoredNumber(*v)))
        return 0;
    return static_cast<int>(CheckedWhole(session_, *channel, 0, channels - 1, fallback,
                                         {file(), kSettings, "ActiveCh"}));
}

void ExchangeFile::Active::WriteChannel(int channel) const {
    WriteProfileKey(session_, kSettings, "ActiveCh", std::to_string(channel), file());
}

std::optional<int> ExchangeFile::Active::Segment(int channel, bool fpSegMode, int fallback) const {
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    const double seg =
        ProfileNumberIn(session_, file(), key, fpSegMode ? 0 : channel, kSettings, kAbsent);
    if (IsAbsent(seg))
        return std::nullopt;
    return static_cast<int>(
        CheckedWhole(session_, seg, 1, kMaxSegmentNumber, fallback, {file(), kSettings, key}));
}

void ExchangeFile::Active::StoreSegment(int segment, bool fpSegMode) const {
    // Quiet: a channel that is not in the list leaves the list as it is.
    int channel = 0;
    if (auto v = record(session_, kSettings, "ActiveCh", 260))
        channel = StoredWhole(*v);
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    auto list = record(session_, kSettings, key, 260, false);
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
    WriteProfileKey(session_, kSettings, key, out, file());
}

ChannelSegment ExchangeFile::Active::Reread(ChannelSegment now, bool fpSegMode) const {
    ChannelSegment read;
    read.channel = Channel(Instrument(session_).Channels(), now.channel);
    read.segment = Segment(read.channel, fpSegMode, now.segment).value_or(now.segment);
    return read;
}

std::string ExchangeFile::Settings::Rsclk() const {
    return record(session_, kSettings, "Rsclk", 180).value_or("");
}

std::optional<std::string> ExchangeFile::Settings::Wfmt() const {
    return record(session_, kSettings, "Wfmt", 260);
}

std::optional<int> ExchangeFile::Settings::TraceType() const {
    if (auto v = record(session_, kSettings, "TracType", 260))
        return StoredWhole(*v);
    return std::nullopt;
}

void ExchangeFile::Settings::StoreTraceType(int type) const {
    WriteProfileKey(session_, kSettings, "TracType", std::to_string(type), file());
}

std::optional<double> ExchangeFile::Settings::DownloadMode() const {
    return number(session_, kSettings, "DwnMode");
}

double ExchangeFile::Settings::SampleClock(int index, double absent) const {
    return ProfileNumberIn(session_, file(), "Sclk", index, kSettings, absent);
}

bool ExchangeFile::Settings::StorePulseDownload(int channel, const std::string& amplitude,
                                                const std::string& offset,
                                                const std::string& sampleClock,
                                                bool userMode) const {
    const char* modeKey = session_.family == "K4412" ? "WformMode" : "WfMode";
    const std::pair<const char*, std::string> values[] = {{"Ampl", amplitude},
                                                          {"Offs", offset},
                                                          {"Sclk", sampleClock},
                                                          {modeKey, userMode ? "1" : "2"}};
    std::vector<std::pair<const char*, std::string>> texts;
    for (const auto& [key, text] : values)
        texts.emplace_back(
            key,
            ChannelSettingText(record(session_, kSettings, key, 40).value_or(""), channel, text));
    profile::Transaction t(session_, file());
    for (const auto& [key, text] : texts)
        t.write(kSettings, key, text);
    return t.commit();
}

std::string ExchangeFile::Titles::Host() const {
    return record(session_, "AppTits", "AC", 260).value_or("");
}

bool ExchangeFile::Titles::Publish(int composerId, const std::string& title) const {
    const char* key = composerId == kStandardComposer ? "TD"
                      : composerId == kFmComposer     ? "FMC"
                      : composerId == kPulseComposer  ? "PLS"
                                                      : nullptr;
    if (!key)
        return false;
    // Painting happens often; rewrite the exchange file only when the title changed.
    if (record(session_, "AppTits", key, 520) != title)
        WriteProfileKey(session_, "AppTits", key, title, file());
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
                                                        bool reportAbsence) const {
    return record(session_, table, Key(segment), 260, !reportAbsence);
}

bool ExchangeFile::Segments::Record(const std::string& table, int segment,
                                    const std::string& path) const {
    const std::string key = Key(segment);
    profile::Transaction batch(session_, file());
    batch.write(table, key, path);
    batch.write(kModif, key, "Yes");
    return batch.commit();
}

std::set<long> ExchangeFile::Segments::Numbers(const std::string& table) const {
    std::set<long> used;
    for (const auto& [key, value] : profile::SectionEntries(file(), table)) {
        char* end = nullptr;
        long n = std::strtol(key.c_str(), &end, 10);
        if (end != key.c_str() && *end == '\0')
            used.insert(n);
    }
    return used;
}

void ExchangeFile::Segments::MarkSwitched() const {
    WriteProfileKey(session_, kModif, "Common", "Yes", file());
}

std::string ExchangeFile::Segments::SavedKey(int segment, int channel) {
    return strprintf("Segm%d-%d", segment, channel);
}

std::string ExchangeFile::Segments::SavedKey(int segment) {
    return strprintf("Segm%d", segment);
}

void ExchangeFile::Segments::RemoveModified(const std::string& savedKey) const {
    DeleteProfileKey(session_, kModif, savedKey, file());
}

void ExchangeFile::Segments::MarkLoaded(int channel, int segment) const {
    WriteProfileKey(session_, strprintf("SegmStt-Ch%d", channel), std::to_string(segment), "Loaded",
                    file());
}

std::optional<std::string> ExchangeFile::Segments::PatternFile(int channel, int segment) const {
    return record(session_, strprintf("PattTbl-ch%d", channel), std::to_string(segment), 260);
}

void ExchangeFile::Segments::RecordPatternFile(int channel, int segment,
                                               const std::string& path) const {
    WriteProfileKey(session_, strprintf("PattTbl-ch%d", channel), std::to_string(segment), path,
                    file());
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
                                                                 int segment) const {
    return {record(session_, table, bitKey(bit, false, segment), 2000).value_or(""),
            record(session_, table, bitKey(bit, true, segment), 2000).value_or("")};
}

bool ExchangeFile::MarkerBits::Store(const std::string& table, int bit0, int segment,
                                     const Setting (&bits)[2]) const {
    profile::Transaction t(session_, file());
    for (int k = 0; k < 2; ++k) {
        t.write(table, bitKey(bit0 + k, false, segment), bits[k].list);
        t.write(table, bitKey(bit0 + k, true, segment), bits[k].invert);
    }
    return t.commit();
}

std::vector<ExchangeFile::MarkerBits::Stored>
ExchangeFile::MarkerBits::ForDownload(const std::string& table, int segment) const {
    std::vector<Stored> found;
    for (int bit : {13, 14})
        for (bool invert : {false, true})
            if (auto value = record(session_, table, bitKey(bit, invert, segment), 410))
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

std::optional<std::string> ExchangeFile::WaveParameters::Text(const std::string& section,
                                                              Key key) const {
    return Text(section, KeyText(key));
}

std::optional<std::string> ExchangeFile::WaveParameters::Text(const std::string& section,
                                                              std::string_view key) const {
    return profile::GetValue(file(), section, key);
}

std::optional<double> ExchangeFile::WaveParameters::Number(const std::string& section,
                                                           Key key) const {
    return number(session_, section, KeyText(key));
}

std::size_t ExchangeFile::WaveParameters::Count(const std::string& section) const {
    return profile::SectionEntries(file(), section).size();
}

bool ExchangeFile::WaveParameters::Store(
    const std::string& section, const std::vector<std::pair<Key, std::string>>& values,
    const std::vector<std::pair<std::string, std::string>>& shapeValues) const {
    profile::Transaction t(session_, file());
    for (const auto& [key, text] : values)
        t.write(section, KeyText(key), text);
    for (const auto& [key, text] : shapeValues)
        t.write(section, key, text);
    return t.commit();
}

bool ExchangeFile::WaveParameters::StoreRange(const std::string& section, long start,
                                              long end) const {
    return Store(section, {{Start, std::to_string(start)}, {End, std::to_string(end)}});
}

bool ExchangeFile::WaveParameters::ForgetRange(const std::string& section) const {
    profile::Transaction t(session_, file());
    t.deleteKey(section, KeyText(Start));
    t.deleteKey(section, KeyText(End));
    return t.commit();
}

bool ExchangeFile::WaveParameters::Forget(const std::string& section) const {
    return DeleteProfileSection(session_, section, file());
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

std::optional<std::pair<int, int>>
ExchangeFile::Dialogs::Position(const std::string& section) const {
    auto text = profile::GetValue(file(), section, "DrawRect");
    std::pair<int, int> position;
    if (!text || std::sscanf(text->c_str(), "%d %d", &position.first, &position.second) != 2)
        return std::nullopt;
    return position;
}

bool ExchangeFile::Dialogs::StorePosition(const std::string& section, int left, int top) const {
    return profile::WriteValue(session_, file(), section, "DrawRect",
                               strprintf("%d %d", left, top));
}

std::optional<bool> ExchangeFile::Dialogs::EquationButton(Button button) const {
    if (auto v = number(session_, kEquationButtons, buttonKey(button)))
        return *v != 0;
    return std::nullopt;
}

bool ExchangeFile::Dialogs::StoreEquation(
    const std::string& waveParameters, const std::vector<std::pair<Button, bool>>& buttons,
    const std::vector<std::pair<WaveParameters::Key, std::string>>& values) const {
    profile::Transaction t(session_, file());
    for (const auto& [button, on] : buttons)
        t.write(kEquationButtons, buttonKey(button), on ? "1" : "0");
    for (const auto& [key, text] : values)
        t.write(waveParameters, WaveParameters::KeyText(key), text);
    return t.commit();
}

std::optional<std::string> ExchangeFile::Dialogs::PwmField(std::string_view key) const {
    return profile::GetValue(file(), "PWM", key);
}

bool ExchangeFile::Dialogs::StorePwmFields(
    const std::vector<std::pair<std::string, std::string>>& fields) const {
    profile::Transaction t(session_, file());
    for (const auto& [key, value] : fields)
        t.write("PWM", key, value);
    return t.commit();
}

std::vector<ExchangeFile::PulseSequence::Step> ExchangeFile::PulseSequence::Read() const {
    return ReadFrom(file());
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

bool ExchangeFile::PulseSequence::Write(const std::vector<Step>& steps) const {
    profile::Transaction t(session_, file());
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
