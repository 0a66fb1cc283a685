#pragma once
#include "host/HostLink.h"

#include <string>
#include <vector>

namespace tw::test {

// Records what would go to the host and installs itself for its lifetime.
struct HostRecorder : HostLink {
    std::vector<std::string> texts;
    HostRecorder() { SetHostLink(this); }
    ~HostRecorder() override { SetHostLink(nullptr); }
    bool sendText(std::string_view, std::string_view text) override {
        texts.emplace_back(text);
        return true;
    }
    void postToAll(std::string_view, long, long) override {}
};

} // namespace tw::test
