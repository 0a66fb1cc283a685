#include "hostapp/FilesOnly.h"

#include "app/FileUtil.h"
#include "host/ExchangeFile.h"
#include "instrument/HostMessage.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>

namespace tw {

int NextKeptNumber(const std::string& folder) {
    int highest = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        int n = 0;
        auto [end, err] = std::from_chars(name.data(), name.data() + name.size(), n);
        if (err == std::errc() && *end == '-' && n > highest && n < 999999)
            highest = n;
    }
    return highest + 1;
}

KeptMessage KeepMessage(std::string_view message, const std::string& exchangeFile,
                        const std::string& folder) {
    KeptMessage kept;
    const HostMessageParse parse = ParseHostMessage(message);
    if (!parse.error.empty()) {
        kept.error = parse.error;
        return kept;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%04d-", NextKeptNumber(folder));
    std::map<std::string, std::string> copies; // each file once, by its path
    auto copy = [&](const std::string& from) -> std::string {
        if (auto known = copies.find(from); known != copies.end())
            return known->second;
        const std::string to = folder + "/" + number + FileNameOf(from);
        if (FileResult r = CopyFileOver(from, to); !r) {
            kept.error = r.message();
            return {};
        }
        kept.files.push_back(to);
        return copies[from] = to;
    };
    std::string text;
    for (const HostAction& action : parse.actions) {
        switch (action.kind) {
        case HostAction::Kind::Commands: {
            text += "Cmd=";
            for (std::size_t i = 0; i < action.items.size(); ++i)
                text += (i ? ";" : "") + action.items[i];
            break;
        }
        case HostAction::Kind::Wave:
        case HostAction::Kind::FmWave: {
            text += action.kind == HostAction::Kind::Wave ? "Wav=" : "FMwav=";
            for (std::size_t i = 0; i < action.items.size(); ++i)
                text += (i ? "&" : "") + copy(action.items[i]);
            break;
        }
        case HostAction::Kind::PulseSequence: {
            text += "PLS_SEQ=";
            const auto steps = ExchangeFile::PulseSequence::ReadFrom(exchangeFile);
            for (std::size_t k = 0; k < steps.size(); ++k)
                text += "\n; step " + std::to_string(k + 1) + ": " + copy(steps[k].path) +
                        " repeated " + steps[k].repeat;
            break;
        }
        }
        text += "\n";
        if (!kept.error.empty())
            break;
    }
    const std::string path = folder + "/" + number + "message.txt";
    if (kept.error.empty())
        if (FileResult r = WriteFileAtomically(path, text); !r)
            kept.error = r.message();
    if (!kept.error.empty()) {
        for (const std::string& file : kept.files)
            RemoveFile(file);
        kept.files.clear();
        return kept;
    }
    kept.files.push_back(path);
    return kept;
}

} // namespace tw
