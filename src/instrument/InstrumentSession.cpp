#include "instrument/InstrumentSession.h"

#include "host/ExchangeFile.h"
#include "instrument/HostMessage.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

namespace tw {

namespace {

// An answer line longer than this is not an answer: the connection is reset.
constexpr std::size_t kMostLineBytes = std::size_t{64} * 1024;
// SYST:ERR? is read at most this often after one command; a queue that never empties is broken.
constexpr int kMostErrorReads = 100;
constexpr std::uint64_t kMostRepeat = 1u << 30;

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// "-222,\"Data out of range\"" into its number and text; false when it is no error answer.
bool ParseErrorAnswer(const std::string& answer, int& code, std::string& text) {
    const auto comma = answer.find(',');
    const std::string number = Trimmed(answer.substr(0, comma));
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), code);
    if (ec != std::errc() || end != number.data() + number.size())
        return false;
    text = comma == std::string::npos ? "" : Trimmed(answer.substr(comma + 1));
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return true;
}

} // namespace

struct InstrumentSession::Step {
    std::string text; // the command, or the data command of a block
    bool block = false;
    BlockSource source = BlockSource::Memory({});
    std::uint64_t bytes = 0;
    int pointBytes = 1;
    bool swap = false;
    std::string what; // names the block in errors

    static Step Command(std::string text) {
        Step step;
        step.text = std::move(text);
        return step;
    }
};

std::string Outcome::message() const {
    std::string text = failure;
    if (cancelled && failure.empty())
        text = "cancelled";
    for (const InstrumentError& e : errors)
        text += (text.empty() ? "" : "\n") + std::string("instrument error ") +
                std::to_string(e.code) + ", \"" + e.text + "\" after " + e.command;
    return text;
}

std::string FillCommand(std::string_view templ, std::initializer_list<long> numbers) {
    std::string text;
    auto next = numbers.begin();
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == '%') {
            text += '%';
            ++i;
        } else if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 'd') {
            text += next != numbers.end() ? std::to_string(*next++) : "";
            ++i;
        } else {
            text += templ[i];
        }
    }
    return text;
}

InstrumentSession::InstrumentSession(std::unique_ptr<Transport> transport,
                                     InstrumentProfile profile)
    : transport_(std::move(transport)), profile_(std::move(profile)) {}

int InstrumentSession::completionTimeoutMs(std::uint64_t bytes) const {
    const std::uint64_t extra = bytes / 8000;
    return static_cast<int>(std::min<std::uint64_t>(transport_->timeouts.readMs + extra, 1u << 30));
}

Status InstrumentSession::send(const std::string& text) {
    return transport_->write(text + "\n", true);
}

Status InstrumentSession::readExactly(std::span<char> into, int timeoutMs) {
    const std::size_t fromPending = std::min(into.size(), pending_.size());
    std::copy_n(pending_.data(), fromPending, into.data());
    pending_.erase(0, fromPending);
    for (std::size_t at = fromPending; at < into.size();) {
        std::size_t got = 0;
        bool end = false;
        if (Status s = transport_->read(into.subspan(at), got, end, timeoutMs); !s)
            return s;
        at += got;
    }
    return {};
}

Status InstrumentSession::readLine(std::string& line, int timeoutMs) {
    char buffer[4096];
    for (;;) {
        if (const auto at = pending_.find('\n'); at != std::string::npos) {
            line = pending_.substr(0, at);
            pending_.erase(0, at + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return {};
        }
        if (pending_.size() > kMostLineBytes)
            return Status::Failed(transport_->name() + ": an answer longer than " +
                                  std::to_string(kMostLineBytes) + " bytes");
        std::size_t got = 0;
        bool end = false;
        if (Status s = transport_->read(buffer, got, end, timeoutMs); !s)
            return s;
        pending_.append(buffer, got);
        if (end && pending_.find('\n') == std::string::npos)
            pending_ += '\n';
    }
}

void InstrumentSession::failed(Outcome& outcome, const Status& status) {
    transport_->reset();
    pending_.clear();
    outcome.failure = status.error;
}

Status InstrumentSession::waitComplete(std::uint64_t bytes) {
    if (Status s = send("*OPC?"); !s)
        return s;
    const int timeoutMs = completionTimeoutMs(bytes);
    std::string answer;
    if (Status s = readLine(answer, timeoutMs); !s)
        return Status::Failed(s.error + " (waiting for *OPC?)");
    if (Trimmed(answer) != "1")
        return Status::Failed(transport_->name() + ": *OPC? answered \"" + answer + "\", not 1");
    return {};
}

Status InstrumentSession::collectErrors(const std::string& command, Outcome& outcome) {
    for (int i = 0; i < kMostErrorReads; ++i) {
        if (Status s = send("SYST:ERR?"); !s)
            return s;
        std::string answer;
        if (Status s = readLine(answer, transport_->timeouts.readMs); !s)
            return Status::Failed(s.error + " (waiting for SYST:ERR?)");
        int code = 0;
        std::string text;
        if (!ParseErrorAnswer(answer, code, text))
            return Status::Failed(transport_->name() + ": SYST:ERR? answered \"" + answer + "\"");
        if (code == 0)
            return {};
        outcome.errors.push_back({code, text, command});
    }
    return Status::Failed(transport_->name() + ": the error queue did not empty after " +
                          std::to_string(kMostErrorReads) + " reads of SYST:ERR?");
}

Outcome InstrumentSession::write(const std::string& command) {
    Outcome outcome;
    Status s = send(command);
    if (s && Trimmed(command).ends_with('?')) {
        std::string answer; // a query written as a command: its answer is not wanted
        s = readLine(answer, transport_->timeouts.readMs);
    }
    if (s)
        s = collectErrors(command, outcome);
    if (!s)
        failed(outcome, s);
    return outcome;
}

Outcome InstrumentSession::query(const std::string& command, std::string& answer) {
    Outcome outcome;
    Status s = send(command);
    if (s)
        s = readLine(answer, transport_->timeouts.readMs);
    if (s)
        s = collectErrors(command, outcome);
    if (!s)
        failed(outcome, s);
    return outcome;
}

Outcome InstrumentSession::queryBlock(const std::string& command,
                                      const std::function<void(std::span<const char>)>& sink) {
    Outcome outcome;
    const int timeoutMs = transport_->timeouts.readMs;
    auto receive = [&]() -> Status {
        if (Status s = send(command); !s)
            return s;
        char head[2];
        if (Status s = readExactly(head, timeoutMs); !s)
            return s;
        if (head[0] != '#' || head[1] < '1' || head[1] > '9')
            return Status::Failed(transport_->name() + ": the answer to " + command +
                                  " is no definite-length block");
        char digits[9];
        std::span<char> length(digits, static_cast<std::size_t>(head[1] - '0'));
        if (Status s = readExactly(length, timeoutMs); !s)
            return s;
        std::uint64_t bytes = 0;
        auto [end, ec] = std::from_chars(length.data(), length.data() + length.size(), bytes);
        if (ec != std::errc() || end != length.data() + length.size())
            return Status::Failed(transport_->name() + ": a block length that is no number");
        std::vector<char> piece(1 << 20);
        while (bytes > 0) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, piece.size()));
            if (Status s = readExactly({piece.data(), n}, timeoutMs); !s)
                return s;
            sink({piece.data(), n});
            bytes -= n;
        }
        std::string rest; // the line feed that ends the answer
        return readLine(rest, timeoutMs);
    };
    Status s = receive();
    if (s)
        s = collectErrors(command, outcome);
    if (!s)
        failed(outcome, s);
    return outcome;
}

Outcome InstrumentSession::run(const std::vector<Step>& steps, const TransferProgress& progress) {
    Outcome outcome;
    std::uint64_t total = 0, done = 0;
    for (const Step& step : steps)
        total += step.bytes;
    for (const Step& step : steps) {
        Status s;
        if (!step.block) {
            s = send(step.text);
            if (s)
                s = collectErrors(step.text, outcome);
        } else {
            BlockWrite w = WriteBlock(*transport_, step.text, step.source, step.pointBytes,
                                      step.swap, progress, done, total);
            if (w.cancelled) {
                failed(outcome, Status::Failed("cancelled while sending " + step.what +
                                               "; the connection was reset"));
                outcome.cancelled = true;
                return outcome;
            }
            s = w.status;
            done += w.bytes;
            if (s)
                s = waitComplete(w.bytes);
            if (s)
                s = collectErrors(step.what, outcome);
        }
        if (!s) {
            failed(outcome, s);
            return outcome;
        }
    }
    if (Status s = waitComplete(0); !s)
        failed(outcome, s);
    return outcome;
}

Outcome InstrumentSession::sendWave(const BlockSource& points, int segment, int channel,
                                    const TransferProgress& progress) {
    Outcome outcome;
    std::uint64_t bytes = 0;
    if (Status s = points.measure(bytes); !s) {
        outcome.failure = s.error;
        return outcome;
    }
    if (outcome.failure = CheckWaveLength(profile_, bytes, "the wave"); !outcome.failure.empty())
        return outcome;
    const long count = static_cast<long>(bytes / static_cast<std::uint64_t>(profile_.pointBytes));
    std::vector<Step> steps;
    if (channel > 0)
        steps.push_back(Step::Command(FillCommand(profile_.selectChannel, {channel})));
    steps.push_back(Step::Command(FillCommand(profile_.defineSegment, {segment, count})));
    steps.push_back(Step::Command(FillCommand(profile_.selectSegment, {segment})));
    steps.push_back({profile_.dataCommand, true, points, bytes, profile_.pointBytes,
                     profile_.bigEndian,
                     profile_.dataCommand + " (" + std::to_string(count) + " points)"});
    return run(steps, progress);
}

Outcome InstrumentSession::execute(std::string_view message, const std::string& exchangeFile,
                                   const TransferProgress& progress) {
    Outcome outcome;
    HostMessageParse parse = ParseHostMessage(message);
    if (!parse.error.empty()) {
        outcome.failure = parse.error;
        return outcome;
    }
    std::vector<Step> steps;
    // A wave block of the profile's points; refused (failure set) when the files break a rule.
    auto addWave = [&](std::vector<std::string> files, const std::string& what) {
        BlockSource source = BlockSource::Files(std::move(files));
        std::uint64_t bytes = 0;
        if (Status s = source.measure(bytes); !s)
            outcome.failure = s.error;
        else
            outcome.failure = CheckWaveLength(profile_, bytes, what);
        steps.push_back({profile_.dataCommand, true, source, bytes, profile_.pointBytes,
                         profile_.bigEndian, profile_.dataCommand + " " + what});
        return outcome.failure.empty();
    };
    for (const HostAction& action : parse.actions) {
        switch (action.kind) {
        case HostAction::Kind::Commands:
            for (const std::string& command : action.items)
                steps.push_back(Step::Command(command));
            break;
        case HostAction::Kind::Wave: {
            std::string what = action.items[0];
            if (action.items.size() == 2)
                what += " & " + action.items[1];
            if (!addWave(action.items, what))
                return outcome;
            break;
        }
        case HostAction::Kind::FmWave: {
            BlockSource source = BlockSource::Files(action.items);
            std::uint64_t bytes = 0;
            if (Status s = source.measure(bytes); !s) {
                outcome.failure = s.error;
                return outcome;
            }
            // FM points go as the composer stored them (4-byte points, 6-byte records).
            steps.push_back({profile_.fmDataCommand, true, source, bytes, 1, false,
                             profile_.fmDataCommand + " " + action.items[0]});
            break;
        }
        case HostAction::Kind::PulseSequence: {
            const auto table = ExchangeFile::PulseSequence::ReadFrom(exchangeFile);
            if (table.empty()) {
                outcome.failure = "PLS_SEQ: " + exchangeFile + " holds no \"PulsSeq\" steps";
                return outcome;
            }
            if (profile_.maxSequenceSteps &&
                table.size() > static_cast<std::size_t>(profile_.maxSequenceSteps)) {
                outcome.failure = "PLS_SEQ: " + std::to_string(table.size()) + " steps; the " +
                                  profile_.model + " profile's MaxSteps is " +
                                  std::to_string(profile_.maxSequenceSteps);
                return outcome;
            }
            std::map<std::string, int> segments;
            std::vector<Step> sequence{Step::Command(profile_.clearSequence)};
            for (std::size_t k = 0; k < table.size(); ++k) {
                std::uint64_t repeat = 0;
                const std::string& r = table[k].repeat;
                auto [end, ec] = std::from_chars(r.data(), r.data() + r.size(), repeat);
                if (ec != std::errc() || end != r.data() + r.size() || repeat < 1 ||
                    repeat > kMostRepeat) {
                    outcome.failure =
                        "PLS_SEQ: step " + std::to_string(k + 1) + " repeats \"" + r + "\" times";
                    return outcome;
                }
                auto [at, added] =
                    segments.emplace(table[k].path, static_cast<int>(segments.size()) + 1);
                if (added) {
                    const int segment = at->second;
                    std::uint64_t bytes = 0;
                    if (Status s = BlockSource::Files({table[k].path}).measure(bytes); !s) {
                        outcome.failure = s.error;
                        return outcome;
                    }
                    const long points =
                        static_cast<long>(bytes / static_cast<std::uint64_t>(profile_.pointBytes));
                    steps.push_back(
                        Step::Command(FillCommand(profile_.defineSegment, {segment, points})));
                    steps.push_back(Step::Command(FillCommand(profile_.selectSegment, {segment})));
                    if (!addWave({table[k].path}, table[k].path))
                        return outcome;
                }
                sequence.push_back(Step::Command(
                    FillCommand(profile_.sequenceStep, {static_cast<long>(k + 1), at->second,
                                                        static_cast<long>(repeat)})));
            }
            steps.insert(steps.end(), sequence.begin(), sequence.end());
            break;
        }
        }
    }
    return run(steps, progress);
}

SessionOpen OpenInstrumentSession(const std::string& resourceText, const std::string& profileFolder,
                                  const std::string& model, const Timeouts& timeouts,
                                  bool needProfile) {
    ResourceParse parse = ParseResource(resourceText);
    if (!parse.resource)
        return {nullptr, parse.error};
    std::string error;
    std::unique_ptr<Transport> transport = OpenTransport(*parse.resource, error);
    if (!transport)
        return {nullptr, error};
    transport->timeouts = timeouts;
    std::optional<InstrumentProfile> chosen;
    if (!model.empty()) {
        ProfileLoad load = FindInstrumentProfile(profileFolder, model);
        if (!load.profile)
            return {nullptr, load.error};
        chosen = load.profile;
    }
    auto session = std::make_unique<InstrumentSession>(std::move(transport),
                                                       chosen.value_or(InstrumentProfile{}));
    std::string idn;
    if (Outcome o = session->query("*IDN?", idn); !o.ok())
        return {nullptr, o.message()};
    if (chosen) {
        if (!chosen->identity.empty() && !idn.starts_with(chosen->identity))
            return {nullptr, resourceText + " answers *IDN? with \"" + idn + "\", not \"" +
                                 chosen->identity + "...\" as the " + chosen->model +
                                 " profile expects"};
        return {std::move(session), {}};
    }
    std::vector<InstrumentProfile> found = ProfilesMatching(profileFolder, idn);
    if (found.size() != 1 && !needProfile)
        return {std::move(session), {}};
    if (found.size() != 1)
        return {nullptr, std::string(found.empty() ? "no" : "more than one") +
                             " instrument profile in " + profileFolder +
                             " matches the identity \"" + idn + "\" (name one with its model)"};
    session->useProfile(found.front());
    return {std::move(session), {}};
}

} // namespace tw
