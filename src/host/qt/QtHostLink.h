#pragma once
#include "host/HostLink.h"
#include "host/LinkFolder.h"
#include "host/LinkFrames.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace tw {

// What a window does with what reaches it over the link.
struct LinkHandlers {
    std::function<void(std::string_view text)> text; // returns once the text is handled
    std::function<void(std::string_view name, long first, long second)> event;
};

namespace link {
// A window that listens accepts at once; a connection that takes longer finds none there.
inline constexpr int kConnectMs = 2000;
// Each part of a frame being written; the receiver reads as it goes.
inline constexpr int kWriteMs = 5000;
// The receiver may show a message box before it acknowledges a host message.
inline constexpr int kAckMs = 10 * 60 * 1000;
// A connection that finishes no frame for this long (not counting the handler's time) is
// dropped, so a peer cannot hold a receiver's buffers and sockets for ever.
inline constexpr int kIdleMs = 10 * 1000;
// What a receiver takes from one socket at a time.
inline constexpr int kReadChunk = 64 * 1024;
// Connections one window serves at once; the host needs one or two.
inline constexpr int kMaxPeers = 64;
// After the system refuses a connection (no descriptor left), listening pauses this long.
inline constexpr int kAcceptPauseMs = 200;
} // namespace link

// The receiving side's bounds and the sender's wait for an acknowledgement; tests shrink them.
struct LinkLimits {
    std::size_t bufferBudget = link::kBufferBudget; // unfinished frames, all connections
    int idleMs = link::kIdleMs;
    int maxPeers = link::kMaxPeers; // connections beyond are dropped at once
    int ackMs = link::kAckMs;       // a host that has not acknowledged a text by then is left
};

class QtLinkWindow;

// Window messages over local sockets. Every window listens on its own socket in the link
// folder and names its title in a small file beside it; a sender looks the title up there.
// A link folder that another account could reach is refused with a message in the session's
// caption; the link is then off: no window registers and no title is found.
class QtHostLink : public HostLink {
  public:
    explicit QtHostLink(const LaunchState& session, std::string folder = DefaultLinkFolder(),
                        LinkLimits limits = {});
    ~QtHostLink() override;
    QtHostLink(const QtHostLink&) = delete;
    QtHostLink& operator=(const QtHostLink&) = delete;

    bool sendText(std::string_view title, std::string_view text) override;
    void postToAll(std::string_view name, long first, long second) override;
    // Posts a notification to the window titled exactly `title`; false when there is none.
    bool postTo(std::string_view title, std::string_view name, long first, long second);
    // The titles of every window registered now, in no particular order.
    std::vector<std::string> titles();

    const std::string& folder() const { return folder_; }
    // Why the folder was refused, or "" when the link is on.
    const std::string& refusal() const { return refusal_; }
    // The bytes that unfinished frames hold across this process's connections.
    const link::BufferBudget& buffers() const { return buffers_; }

  private:
    friend class QtLinkWindow;
    struct Peer {
        std::string base; // socket and title file name without extension
        std::string title;
    };
    std::vector<Peer> scan(); // drops nothing; stale peers are removed when they fail
    QtLinkWindow* local(const std::string& base) const;
    void forget(const Peer& peer);

    std::string folder_;
    std::string refusal_;
    LinkLimits limits_;
    link::BufferBudget buffers_;
    std::vector<QtLinkWindow*> windows_; // this process's windows, reached without a socket
    int next_ = 0;
};

// One window's registration: listens for frames and re-registers when its title changes.
class QtLinkWindow : public QObject {
  public:
    QtLinkWindow(QtHostLink& link, LinkHandlers handlers, QObject* parent = nullptr);
    ~QtLinkWindow() override;

    // Registers under `title` (replacing the previous one); "" unregisters.
    void setTitle(const std::string& title);
    const std::string& title() const { return title_; }
    bool listening() const { return listener_ >= 0; }

  private:
    friend class QtHostLink;
    void listen(const std::string& path);
    void accept();
    void serve(int fd);
    void handleText(std::string_view text);
    void handleEvent(std::string_view name, long first, long second);

    QtHostLink& link_;
    LinkHandlers handlers_;
    // Our own socket rather than QLocalServer's, which closes for good on a failed accept.
    int listener_ = -1;
    std::string socketPath_;
    QSocketNotifier* pending_ = nullptr;
    QTimer resume_; // listening again after a pause
    int peers_ = 0;
    bool full_ = false; // the bound of peers was logged and has not been left since
    std::string base_;
    std::string title_;
};

} // namespace tw
