#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// What differs between instrument families in how waveforms reach them: read from a profile
// file ("<model>.scpi") beside the instrument descriptions, never built in.
struct InstrumentProfile {
    std::string model;    // the file's name without ".scpi"
    std::string path;     // the file read
    std::string identity; // [Identity] Idn: what *IDN? answers begin with
    // [Channel] Select: the channel-select command, "%d" the channel from 1.
    std::string selectChannel = ":INST:SEL %d";
    // [Wave]: define and select a segment, the data command its block follows.
    std::string defineSegment = ":TRAC:DEF %d,%d"; // segment, points
    std::string selectSegment = ":TRAC:SEL %d";
    std::string dataCommand = ":TRAC:DATA";
    std::string readBack = ":TRAC:DATA?";
    int pointBytes = 2;
    bool bigEndian = false;          // the instrument's byte order; files are little-endian
    std::int64_t minPoints = 1;      // MinPoints
    std::int64_t granularity = 1;    // Granularity: a length must be a multiple of it
    std::uint64_t maxBlockBytes = 0; // MaxBlockBytes: the largest block; 0 no limit of ours
    // [FM] Data: the FM waveform's data command (points sent as they are stored).
    std::string fmDataCommand = ":FM:DATA";
    // [Sequence]: clear the table and write one step (step, segment, repeat).
    std::string clearSequence = ":SEQ:DEL:ALL";
    std::string sequenceStep = ":SEQ:DEF %d,%d,%d";
    int maxSequenceSteps = 0; // MaxSteps; 0 no limit of ours
};

struct ProfileLoad {
    std::optional<InstrumentProfile> profile;
    std::string error;
};

// Reads a profile file. Numbers out of bounds are refused with the key that holds them.
ProfileLoad LoadInstrumentProfile(const std::string& path);

// The profile of `model` ("TW2014") in folder, or of the path when model names a ".scpi" file.
ProfileLoad FindInstrumentProfile(const std::string& folder, const std::string& model);

// The profiles of folder whose identity begins the *IDN? answer.
std::vector<InstrumentProfile> ProfilesMatching(const std::string& folder,
                                                const std::string& idnAnswer);

// Refuses a wave of `bytes` bytes that breaks a rule of the profile, naming the rule; empty when
// the wave may be sent.
std::string CheckWaveLength(const InstrumentProfile& profile, std::uint64_t bytes,
                            const std::string& what);

} // namespace tw
