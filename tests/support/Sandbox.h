#pragma once
#include "app/LaunchState.h"
#include "support/ScriptedPrompter.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tw::test {

// A private application-data folder with the sample instrument and an exchange file naming it.
// Its session reports through its scripted prompter, which it also installs; it points
// XDG_CONFIG_HOME and TIDEWRIGHT_LINK_DIR into itself; removes everything and puts those
// variables back afterwards.
class Sandbox {
  public:
    explicit Sandbox(int composerId = 0, bool withExchangeFile = true);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // The session a test hands to what it builds; a test may change it afterwards.
    const LaunchState& session() const { return session_; }
    LaunchState& session() { return session_; }
    const std::string& root() const { return root_; } // the application-data folder
    std::string tmp() const;                          // its Consolia/tmp/
    std::string exchange() const;                     // the exchange file
    std::string descr() const { return descr_; }      // the copied description file
    std::string write(const std::string& name, const std::string& content) const; // under root
    void set(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) const;
    std::string get(const std::string& file, const std::string& section,
                    const std::string& key) const; // "<absent>" when missing

    // FP-segment mode, as a description file with an "FPSeg" range starts it, with `segment`
    // the active FP segment in the exchange file.
    void useFpSegments(int segment, const std::string& range = "FP Segment 1 256");

    ScriptedPrompter prompts;

  private:
    std::string root_;
    std::string descr_;
    LaunchState session_;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

// A fresh empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& stem);

} // namespace tw::test
