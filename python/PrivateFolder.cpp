#include "PrivateFolder.h"

#include "CoreCall.h"
#include "SampleInstrument.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace tw::python {

namespace {

// Formulas reach the engine lower-cased, wave operands written here among them: the folder's
// path has no capital letters.
fs::path TemporaryBase() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    const std::string text = base.string();
    if (ec || text != ToLower(text))
        base = "/tmp";
    return base;
}

std::string MakeFolder() {
    const fs::path base = TemporaryBase();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path p = base / ("tidewright-py-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace, ec);
            return p.string();
        }
        if (ec && ec != std::errc::file_exists)
            Fail(FileResult::Failed(FileResult::Action::Write, p.string(), ec).message());
    }
    Fail("Cannot make a private folder in " + base.string());
}

// A description file is a few kilobytes of settings; a larger file is not one.
constexpr std::int64_t kMostDescriptionBytes = 16 << 20;

std::string ReadDescription(const std::string& path) {
    if (path.empty())
        return SampleInstrumentText();
    if (FileSize(path) > kMostDescriptionBytes)
        Fail(FileResult::Failed(FileResult::Action::Read, path,
                                "larger than any instrument description")
                 .message());
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf()))
        Fail(FileResult::FromErrno(FileResult::Action::Read, path, errno).message());
    return text.str();
}

} // namespace

PrivateFolder::PrivateFolder(int composerId, const std::string& description) : root_(MakeFolder()) {
    DeriveLaunchPaths(state_, root_);
    state_.composerId = composerId;
    state_.appName = composerId == kPulseComposer ? "Trainsmith" : "Tidewright";
    state_.family = "TW2000";
    state_.reports = &CallPrompter();
    if (!CreateFolder(state_.tmpFolder) || !CreateFolder(state_.generalFolder)) {
        std::error_code ec;
        fs::remove_all(root_, ec);
        Fail("Cannot make the folders of " + root_);
    }
    try {
        state_.descrFile = CopyDescription(description, "instrument.ini");
        profile::ClearCache();
        profile::Transaction exchange(state_, state_.exchangeFile);
        exchange.write("Instrument", "DescrFile", state_.descrFile);
        exchange.write("Instrument", "Family", state_.family);
        exchange.write("Instrument", "Channels", "1");
        exchange.write("Settings", "ActiveCh", "0");
        exchange.write("Settings", "AcSeg", "1 ");
        if (!exchange.commit())
            Fail("Cannot write " + state_.exchangeFile);
    } catch (...) {
        std::error_code ec;
        fs::remove_all(root_, ec);
        throw;
    }
}

PrivateFolder::~PrivateFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string PrivateFolder::CopyDescription(const std::string& path, const std::string& name) {
    std::string copy = root_ + "/" + name;
    if (FileResult written = WriteFileAtomically(copy, ReadDescription(path)); !written)
        Fail(written.message());
    return copy;
}

ProfileCacheScope::ProfileCacheScope() {
    profile::ClearCache();
}

ProfileCacheScope::~ProfileCacheScope() {
    profile::ClearCache();
}

} // namespace tw::python
