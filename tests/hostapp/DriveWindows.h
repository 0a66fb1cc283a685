#pragma once
// Driving other programs' windows under the window-manager tests' Xvfb screen, as a user would:
// xdotool finds the windows and types into them; the host's log tells what came of it.
#include "hostapp/qt/HostWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <string>

namespace tw::test {

// A line of that kind holding the fragment, among the lines from `from` on.
inline bool Logged(const HostWindow& host, HostLog::Kind kind, const std::string& fragment,
                   std::size_t from = 0) {
    const auto& lines = host.log().lines();
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].kind == kind && lines[i].text.find(fragment) != std::string::npos)
            return true;
    return false;
}

template <class Done> bool WaitUntil(Done done, int ms = 30000) {
    return QTest::qWaitFor(done, ms);
}

// Bounded: xdotool waits for ever on a window that is never mapped or activated.
inline std::string Xdotool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    QElapsedTimer clock;
    clock.start();
    while (!p.waitForFinished(20)) {
        QApplication::processEvents();
        if (clock.elapsed() > 10000) {
            p.kill();
            p.waitForFinished(1000);
            return {};
        }
    }
    return p.readAllStandardOutput().trimmed().toStdString();
}

// The last shown window whose title matches; "" when none appears in time.
inline std::string XWindow(const QString& title, int ms = 30000) {
    std::string id;
    WaitUntil(
        [&] {
            const std::string found = Xdotool({"search", "--onlyvisible", "--name", title});
            id = found.substr(found.rfind('\n') == std::string::npos ? 0 : found.rfind('\n') + 1);
            return !id.empty();
        },
        ms);
    return id;
}

// Keys typed into another program's window, as a user types them.
inline void Keys(const std::string& window, const QStringList& keys) {
    Xdotool({"windowactivate", QString::fromStdString(window)});
    WaitUntil([&] { return Xdotool({"getactivewindow"}) == window; }, 5000);
    for (const QString& key : keys) {
        Xdotool({"key", "--delay", "80", key});
        QTest::qWait(300);
    }
}

// The keys that open a dialog, again while it does not come: a window manager on a loaded
// machine may hand the focus over late and lose the first keys.
inline std::string OpenDialog(const std::string& window, const QStringList& keys,
                              const QString& title) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0)
            Keys(window, {"Escape"});
        Keys(window, keys);
        if (std::string dialog = XWindow(title, 8000); !dialog.empty())
            return dialog;
    }
    return {};
}

} // namespace tw::test
