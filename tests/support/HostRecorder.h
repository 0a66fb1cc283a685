#pragma once
#include "host/HostLink.h"

#include <string>
#include <utility>
#include <vector>

namespace tw::test {

// Stands in for the host: records what would be sent to it and installs itself for its lifetime.
// With a `window` set, texts to any other window are refused, as when no such window exists.
struct HostRecorder : HostLink {
    std::string window;
    std::vector<std::string> sent;    // the texts, in order
    std::vector<std::string> windows; // the window each text went to
    std::vector<std::pair<long, long>> posted;

    explicit HostRecorder(std::string only = "") : window(std::move(only)) { SetHostLink(this); }
    ~HostRecorder() override { SetHostLink(nullptr); }
    HostRecorder(const HostRecorder&) = delete;
    HostRecorder& operator=(const HostRecorder&) = delete;

    bool sendText(std::string_view title, std::string_view text) override {
        if (!window.empty() && title != window)
            return false;
        windows.emplace_back(title);
        sent.emplace_back(text);
        return true;
    }
    void postToAll(std::string_view, long first, long second) override {
        posted.emplace_back(first, second);
    }
};

} // namespace tw::test
