// The main of the window-manager test programs (*WmTest.cpp): the tests run on a screen of their
// own, an Xvfb server on a free display with openbox managing it, where focus, placement and
// window decorations behave as on a user's desktop.
//   --screen=WIDTHxHEIGHT (1024x700)   --scale=FACTOR (1, as QT_SCALE_FACTOR)
// Without Xvfb or openbox (either fails to start) every test is skipped.
#include "support/TestEnvironment.h"
#include "support/wm/WindowManager.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool g_managed = false;

// 0 when the program cannot be started (not installed).
pid_t Spawn(std::vector<std::string> args, const posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0)
        return 0;
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a display it picks itself (-displayfd); returns its pid and sets DISPLAY.
pid_t StartServer(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const pid_t pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                             screen + "x24", "-nolisten", "tcp", "-noreset"},
                            &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string display;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        display += c;
    close(fds[0]);
    if (display.empty()) {
        Stop(pid);
        return 0;
    }
    setenv("DISPLAY", (":" + display).c_str(), 1);
    return pid;
}

std::string Option(int& argc, char** argv, const std::string& name, const std::string& fallback) {
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            std::string value = argv[i] + prefix.size();
            for (int j = i; j < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            return value;
        }
    return fallback;
}

bool Listing(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    return false;
}

} // namespace

namespace tw::test {

bool WindowManaged() {
    return g_managed;
}

} // namespace tw::test

int main(int argc, char** argv) {
    tw::test::IsolateTestProcess();
    const std::string screen = Option(argc, argv, "screen", "1024x700");
    const std::string scale = Option(argc, argv, "scale", "1");
    pid_t server = 0, manager = 0;
    if (!Listing(argc, argv)) {
        server = StartServer(screen);
        if (server) {
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            setenv("QT_SCALE_FACTOR", scale.c_str(), 1);
            manager = Spawn({"openbox", "--sm-disable"});
        }
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        // openbox announces itself on the root window once it manages the screen.
        g_managed = manager && tw::test::WaitForWindowManager(10000);
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    Stop(manager);
    Stop(server);
    return result;
}
