#include "instrument/HostMessage.h"

namespace tw {

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

} // namespace

HostMessageParse ParseHostMessage(std::string_view text) {
    HostMessageParse parse;
    for (std::string line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const auto equals = line.find('=');
        const std::string tag = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        HostAction action;
        if (tag == "Cmd" || tag == "cmd") {
            for (const std::string& command : Split(value, ';'))
                if (command.find_first_not_of(' ') != std::string::npos)
                    action.items.push_back(command);
            if (action.items.empty())
                continue;
        } else if (tag == "Wav" || tag == "wav") {
            action.kind = HostAction::Kind::Wave;
            action.items = Split(value, '&');
            for (std::size_t i = 0; i < action.items.size(); ++i)
                if (action.items[i].empty() || action.items.size() > 2) {
                    parse.error = "the line \"" + line + "\" names no file for " +
                                  (action.items.size() > 2 ? "more than two channels"
                                                           : "channel " + std::to_string(i + 1));
                    return parse;
                }
        } else if (tag == "FMwav") {
            action.kind = HostAction::Kind::FmWave;
            action.items = {value};
            if (value.empty()) {
                parse.error = "the line \"FMwav=\" names no file";
                return parse;
            }
        } else if (tag == "PLS_SEQ") {
            action.kind = HostAction::Kind::PulseSequence;
        } else {
            parse.error = "unknown line \"" + line + "\" in the host message";
            return parse;
        }
        parse.actions.push_back(std::move(action));
    }
    return parse;
}

} // namespace tw
