#include "host/FmExchange.h"

#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "host/ExchangeFile.h"

namespace tw {

namespace {
constexpr const char* kSettings = "Settings";
constexpr const char* kFmSection = "FmComposer";

struct NumberKey {
    const char* section;
    const char* key;
};

NumberKey keyOf(FmExchange::Number number) {
    switch (number) {
    case FmExchange::FuncMode:
        return {kSettings, "FmFuncMode"};
    case FmExchange::ModulationCarrier:
        return {kSettings, "ModCarFrq"};
    case FmExchange::WaveformMode:
        return {kSettings, "WformMode"};
    case FmExchange::SampleClock:
        return {kSettings, "Sclk"};
    case FmExchange::StandardBase:
        return {kFmSection, "StdFmbase"};
    case FmExchange::Wavelength:
        return {kFmSection, "FmLen"};
    }
    return {kSettings, ""};
}

std::string sectionOf(FmExchange::DeviationKey key) {
    return key.segmentTable ? ExchangeFile::Segments::FmTable() : kSettings;
}

std::string keyText(FmExchange::DeviationKey key) {
    return key.number < 0 ? std::string("FmDev") : strprintf("FmDev%d", key.number);
}

std::string markerSection(int funcMode) {
    return "FmMark" + std::to_string(funcMode);
}
} // namespace

double FmExchange::Read(Number number, double absent) const {
    const NumberKey k = keyOf(number);
    return ProfileNumberIn(session_, file_, k.key, 0, k.section, absent);
}

double FmExchange::ReadCarrier(const std::string& key, double absent) const {
    return ProfileNumberIn(session_, file_, key, 0, kSettings, absent);
}

StoredKey FmExchange::Where(Number number) const {
    const NumberKey k = keyOf(number);
    return {file_, k.section, k.key};
}

StoredKey FmExchange::WhereCarrier(const std::string& key) const {
    return {file_, kSettings, key};
}

std::optional<std::string> FmExchange::Deviation(DeviationKey key) const {
    std::string text;
    if (!ProfileRecord(session_, sectionOf(key), keyText(key).c_str(), text, 80, file_, true))
        return std::nullopt;
    return text;
}

bool FmExchange::StoreSetUp(DeviationKey key, const std::string& deviation,
                            std::optional<double> carrier) const {
    profile::Transaction tx(session_, file_);
    if (carrier)
        tx.write(kSettings, "FmCarFrq", strprintf("%g", *carrier));
    tx.write(sectionOf(key), keyText(key), deviation);
    return tx.commit();
}

bool FmExchange::StoreSegmentDeviation(int segment, const std::string& deviation) const {
    profile::Transaction tx(session_, file_);
    tx.write(ExchangeFile::Segments::FmTable(), keyText({true, segment}), deviation);
    tx.deleteSection(ExchangeFile::WaveParameters::kFm);
    return tx.commit();
}

bool FmExchange::StoreDeviation(DeviationKey key, const std::string& deviation, bool firstMode,
                                const std::string& highest, const std::string& lowest) const {
    profile::Transaction tx(session_, file_);
    tx.write(sectionOf(key), keyText(key), deviation);
    if (firstMode)
        tx.write(kSettings, "FmSt0", deviation);
    tx.write(kFmSection, "FMax", highest);
    tx.write(kFmSection, "FMin", lowest);
    tx.write("Common", "Modif", "Yes");
    tx.deleteSection(ExchangeFile::WaveParameters::kFm);
    return tx.commit();
}

bool FmExchange::StoreOpenedRange(const std::string& deviation, const std::string& carrier) const {
    profile::Transaction tx(session_, file_);
    tx.write(kSettings, keyText({false, 0}), deviation);
    tx.write(kSettings, "FmCarFrq", carrier);
    return tx.commit();
}

std::vector<std::string> FmExchange::MarkerTexts(int funcMode) const {
    std::vector<std::string> texts;
    const std::string section = markerSection(funcMode);
    for (int i = 0;; ++i) {
        std::string key = "Mrk" + std::to_string(i), text;
        if (!ProfileRecord(session_, section, key.c_str(), text, 40, file_, true))
            return texts;
        texts.push_back(text);
    }
}

std::optional<std::string> FmExchange::MarkerSort(int funcMode) const {
    std::string sort;
    if (!ProfileRecord(session_, markerSection(funcMode), "FmSort", sort, 40, file_, true))
        return std::nullopt;
    return sort;
}

bool FmExchange::StoreMarkers(int funcMode, bool ascending,
                              const std::vector<std::int32_t>& values) const {
    std::vector<std::string> lines{std::string("FmSort=") + (ascending ? "1" : "0")};
    for (std::size_t i = 0; i < values.size(); ++i)
        lines.push_back("Mrk" + std::to_string(i) + "=" + std::to_string(values[i]));
    profile::Transaction tx(session_, file_);
    tx.deleteSection(markerSection(funcMode));
    tx.writeSection(markerSection(funcMode), lines);
    return tx.commit();
}

} // namespace tw
