#pragma once
#include "instrument/BlockWriter.h"
#include "instrument/InstrumentProfile.h"
#include "instrument/Transport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// An error the instrument reported in SYST:ERR?, with the command it followed.
struct InstrumentError {
    int code = 0;
    std::string text;
    std::string command;
};

// What became of a call: a transfer failure or refusal, a cancel, or the instrument's errors.
struct Outcome {
    std::string failure; // the transfer failed or was refused before anything was sent
    bool cancelled = false;
    std::vector<InstrumentError> errors;

    bool ok() const { return failure.empty() && !cancelled && errors.empty(); }
    // One line per problem, for the user.
    std::string message() const;
};

// A conversation with one instrument over a transport, in the terms of its profile. Any client
// (a host program, tidewright-cli, the Python module) drives instruments through it. After a
// cancel or a failure the session stays usable: the transport is reset and the next call
// connects again.
class InstrumentSession {
  public:
    InstrumentSession(std::unique_ptr<Transport> transport, InstrumentProfile profile);

    // Sends one command, then reads the instrument's errors.
    Outcome write(const std::string& command);
    // Sends a query and reads its one-line answer (without the line feed), then the errors.
    Outcome query(const std::string& command, std::string& answer);
    // Sends a query whose answer is a definite-length block; its payload goes to sink piece by
    // piece.
    Outcome queryBlock(const std::string& command,
                       const std::function<void(std::span<const char>)>& sink);

    // Defines segment (from 1) of channel (from 1; 0 leaves the channel alone), selects it and
    // sends the points under the profile's data command. Refused before anything is sent when
    // the length breaks a rule of the profile.
    Outcome sendWave(const BlockSource& points, int segment, int channel,
                     const TransferProgress& progress = {});

    // Carries out one host message as a composer sends it; "PLS_SEQ=" takes its steps from the
    // "PulsSeq" section of exchangeFile. Every file is checked against the profile first.
    Outcome execute(std::string_view message, const std::string& exchangeFile,
                    const TransferProgress& progress = {});

    const InstrumentProfile& profile() const { return profile_; }
    void useProfile(InstrumentProfile profile) { profile_ = std::move(profile); }
    Transport& transport() { return *transport_; }

    // The *OPC? wait after `bytes` of data: the read time-out and one more second per 8 MB.
    int completionTimeoutMs(std::uint64_t bytes) const;

  private:
    struct Step;
    Status send(const std::string& text);
    Status readLine(std::string& line, int timeoutMs);
    Status readExactly(std::span<char> into, int timeoutMs);
    Status waitComplete(std::uint64_t bytes);
    // Reads SYST:ERR? until "0,"; each error is recorded against `command`.
    Status collectErrors(const std::string& command, Outcome& outcome);
    void failed(Outcome& outcome, const Status& status);
    Outcome run(const std::vector<Step>& steps, const TransferProgress& progress);

    std::unique_ptr<Transport> transport_;
    InstrumentProfile profile_;
    std::string pending_; // bytes read past the last answer
};

// The session for a resource text. With an empty model the profile is the one in profileFolder
// whose identity begins the instrument's *IDN? answer; with a model its profile, and the
// instrument must answer as the profile expects. Without `needProfile` an instrument no profile
// matches gets a session all the same (commands and queries need none).
struct SessionOpen {
    std::unique_ptr<InstrumentSession> session;
    std::string error;
};
SessionOpen OpenInstrumentSession(const std::string& resource, const std::string& profileFolder,
                                  const std::string& model, const Timeouts& timeouts = {},
                                  bool needProfile = true);

// The "%d" of a command template replaced by the numbers in turn; "%%" is one percent sign.
std::string FillCommand(std::string_view templ, std::initializer_list<long> numbers);

} // namespace tw
