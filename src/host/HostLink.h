#pragma once
#include "app/LaunchState.h"

#include <string>
#include <string_view>

namespace tw {

// The registered notification names shared with the host.
inline constexpr const char* kHostEventName = "F4E30E5C-73A0-4016-BB19-BB6EB587226A";
inline constexpr const char* kProgressNoticeName = "PROGBAR1-30D7-435a-956B-ADC3387CBB1F";
inline constexpr const char* kComposerClosedName = "A56ACA13-30D7-435a-956B-ADC3387CBB1F";

// The window-message layer between the programs: windows are found by exact title.
// The GUI installs the local-socket implementation; tests install a recorder.
struct HostLink {
    // Delivers text (tag 1) to the window titled exactly `title` and waits until it has been
    // handled. Returns false when no window has that title.
    virtual bool sendText(std::string_view title, std::string_view text) = 0;
    // Posts a registered notification to every top-level window, without waiting.
    virtual void postToAll(std::string_view name, long first, long second) = 0;
    virtual ~HostLink() = default;
};

void SetHostLink(HostLink* link);

// Sends text to the window titled `title`; "Unable to find target app." when there is none.
bool SendToHost(std::string_view title, std::string_view text);

// Sends text to the host whose title the session's exchange file names; does nothing when it
// names none. Returns true when the text was delivered.
bool SendToExchangeHost(const LaunchState& session, std::string_view text);

// Posts the composer-closed notice to all top-level windows.
void PostComposerClosed(long first, long second);

} // namespace tw
