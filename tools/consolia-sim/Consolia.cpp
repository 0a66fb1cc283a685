#include "Consolia.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace tw::sim {

namespace {

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

const char* NotificationName(std::string_view name) {
    if (name == kHostEventName)
        return "HostEvent";
    if (name == kProgressNoticeName)
        return "ProgressNotice";
    if (name == kComposerClosedName)
        return "ComposerClosed";
    return nullptr;
}

const char* kHelp = "commands:\n"
                    "  event CODE [DATA]   post HostEvent CODE to the composer window\n"
                    "  close               the close event of the composer (3, 10 or 17)\n"
                    "  move X Y            the move event of the composer (6 or 13)\n"
                    "  reread              HostEvent 4\n"
                    "  progress POS SHOW   post ProgressNotice (SHOW 1 shows the bar, 0 hides)\n"
                    "  windows             list the registered window titles\n"
                    "  wait MS             pause the queued commands for MS milliseconds\n"
                    "  quit                stop the composer and the simulator\n";

} // namespace

Consolia::Consolia(Options options, const LaunchState& session)
    : o_(std::move(options)), session_(session), link_(session) {
    if (o_.title.empty())
        o_.title = "Consolia - " + o_.instrument + " (simulated)";
    connect(&ticker_, &QTimer::timeout, this, &Consolia::tick);
}

Consolia::~Consolia() = default; // the composer is stopped before the link goes

std::string Consolia::exchangeFile() const {
    return o_.appData + "/Consolia/tmp/TempOndex.ondex";
}

bool Consolia::writeExchangeFile() {
    const std::string file = exchangeFile();
    const std::string descr = o_.dataDir + "/instrument/" + o_.instrument + ".ini";
    if (!FileExists(descr)) {
        Out("consolia-sim: no sample instrument at " + descr + "\n");
        return false;
    }
    CreateFolder(o_.appData + "/Consolia/tmp");
    CreateFolder(o_.appData + "/Consolia/General");
    if (!o_.keepExchange || !FileExists(file)) {
        std::optional<std::string> tmpl = ReadWholeFile(o_.dataDir + "/TempOndex.ondex");
        if (!tmpl || !WriteFileAtomically(file, *tmpl)) {
            Out("consolia-sim: cannot write " + file + "\n");
            return false;
        }
    }
    profile::Transaction t(session_, file);
    t.write("Instrument", "DescrFile", descr);
    t.write("Instrument", "Model", o_.instrument);
    t.write("AppTits", "AC", o_.title);
    for (int id = 0; id < kComposerKinds; ++id)
        t.deleteKey("AppTits", ComposerKindOf(id).titleKey);
    return t.commit();
}

const ComposerKind& Consolia::kind() const {
    return ComposerKindOf(o_.composer == "fm" ? 1 : o_.composer == "pulse" ? 2 : 0);
}

std::string Consolia::composerTitle() const {
    return profile::GetValue(exchangeFile(), "AppTits", kind().titleKey).value_or("");
}

bool Consolia::start() {
    if (!writeExchangeFile())
        return false;
    LinkHandlers handlers;
    handlers.text = [this](std::string_view text) { received(text); };
    handlers.event = [this](std::string_view name, long a, long b) { notified(name, a, b); };
    window_ = std::make_unique<QtLinkWindow>(link_, std::move(handlers));
    if (!window_->listening())
        return false;
    window_->setTitle(o_.title);
    Out("consolia-sim: \"" + o_.title + "\" listening; exchange file " + exchangeFile() + "\n");

    pending_.assign(o_.actions.begin(), o_.actions.end());
    stdin_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    connect(stdin_.get(), &QSocketNotifier::activated, this, &Consolia::readStdin);
    if (o_.timeout > 0)
        QTimer::singleShot(o_.timeout * 1000, this, [this] {
            Out("consolia-sim: timed out\n");
            finish(kTimedOut);
        });
    ticker_.start(100);
    if (o_.launch)
        launchComposer();
    return true;
}

void Consolia::launchComposer() {
    composer_.setFinished([this](int code) {
        Out("consolia-sim: tidewright exited with code " + std::to_string(code) + "\n");
        if (o_.expect < 0 || messages_ >= o_.expect)
            finish(code == 0 ? kDone : kProblem);
    });
    Out("consolia-sim: launching " + o_.tidewright + " " + kind().argument + "\n");
    std::string error;
    if (!composer_.start(kind(), o_.tidewright, o_.appData, link_.folder(), error)) {
        Out("consolia-sim: " + error + "\n");
        QTimer::singleShot(0, this, [this] { finish(kProblem); });
    }
}

void Consolia::received(std::string_view text) {
    ++messages_;
    std::string block = "--- message " + std::to_string(messages_) + " (" +
                        std::to_string(text.size()) + " bytes) ---\n" + std::string(text);
    if (text.empty() || text.back() != '\n')
        block += '\n';
    Out(block + "--- end ---\n");
    counted();
}

void Consolia::notified(std::string_view name, long first, long second) {
    ++messages_;
    const char* known = NotificationName(name);
    Out("--- message " + std::to_string(messages_) + ": " +
        (known ? std::string(known) : std::string(name)) + " " + std::to_string(first) + " " +
        std::to_string(second) + " ---\n");
    counted();
}

void Consolia::counted() {
    if (o_.expect >= 0 && messages_ >= o_.expect && (!o_.launch || !composer_.running()))
        QTimer::singleShot(0, this, [this] { finish(kDone); });
}

void Consolia::tick() {
    // Queued commands wait until the composer has published its title and registered it.
    while (!pending_.empty()) {
        const std::string& next = pending_.front();
        if (next.rfind("wait ", 0) == 0) {
            int ms = std::atoi(next.c_str() + 5);
            pending_.pop_front();
            ticker_.stop();
            QTimer::singleShot(ms, this, [this] { ticker_.start(100); });
            return;
        }
        std::string title = composerTitle();
        if (title.empty())
            return;
        std::vector<std::string> titles = link_.titles();
        if (std::find(titles.begin(), titles.end(), title) == titles.end())
            return;
        std::string line = next;
        pending_.pop_front();
        Out("consolia-sim> " + line + "\n");
        command(line);
    }
}

void Consolia::readStdin() {
    char buffer[4096];
    ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        stdin_->setEnabled(false); // end of input: keep running on the other commands
        return;
    }
    input_.append(buffer, std::size_t(n));
    for (std::size_t end; (end = input_.find('\n')) != std::string::npos;) {
        std::string line = input_.substr(0, end);
        input_.erase(0, end + 1);
        if (!line.empty())
            command(line);
    }
}

bool Consolia::postHostEvent(long code, long data) {
    std::string title = composerTitle();
    if (title.empty() || !link_.postTo(title, kHostEventName, code, data)) {
        Out("consolia-sim: no composer window \"" + title + "\"\n");
        return false;
    }
    return true;
}

bool Consolia::command(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "event") {
        long code = 0, data = 0;
        if (in >> code) {
            in >> data;
            return postHostEvent(code, data);
        }
    } else if (verb == "close") {
        return postHostEvent(kind().closeEvent, 0);
    } else if (verb == "move") {
        long x = 0, y = 0;
        if (in >> x >> y)
            return postHostEvent(kind().moveEvent,
                                 MoveEventData(static_cast<int>(x), static_cast<int>(y)));
    } else if (verb == "reread") {
        return postHostEvent(kRereadEvent, 0);
    } else if (verb == "progress") {
        long pos = 0, show = 1;
        if (in >> pos) {
            in >> show;
            return link_.postTo(composerTitle(), kProgressNoticeName, pos, show);
        }
    } else if (verb == "windows") {
        for (const std::string& t : link_.titles())
            Out("  " + t + "\n");
        return true;
    } else if (verb == "wait") {
        pending_.push_back(line);
        return true;
    } else if (verb == "quit") {
        finish(kDone);
        return true;
    }
    Out(kHelp);
    return false;
}

void Consolia::finish(int code) {
    if (finishing_)
        return;
    finishing_ = true;
    window_.reset();
    QCoreApplication::exit(code);
}

} // namespace tw::sim
