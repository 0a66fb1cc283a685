#include "host/LinkFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Mode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", unsigned(mode & 07777));
    return text;
}

std::string SystemReason() {
    return std::strerror(errno);
}

std::string Refusal(const std::string& folder, const std::string& why) {
    return "Host link folder " + folder + ": " + why +
           ".\nThe link to the host is off. Set TIDEWRIGHT_LINK_DIR to a folder that belongs to "
           "you alone (mode 0700).";
}

// A folder whose entries another account can rename lets it swap the link folder for its own,
// so every folder above the link folder must belong to this user or root, and a folder that
// others may write must be sticky, as /tmp is.
std::string CheckHolders(const std::string& folder) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(ParentOf(folder).c_str(), nullptr),
                                                     &std::free);
    if (!real)
        return Refusal(folder, "cannot resolve the folder that holds it: " + SystemReason());
    for (std::string holder = real.get();; holder = ParentOf(holder)) {
        struct stat st;
        if (::stat(holder.c_str(), &st) != 0)
            return Refusal(folder, "cannot read " + holder + ": " + SystemReason());
        if (st.st_uid != 0 && st.st_uid != ::geteuid())
            return Refusal(folder, holder + ", which holds it, belongs to user id " +
                                       std::to_string(st.st_uid));
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX))
            return Refusal(folder, holder +
                                       ", which holds it, can be changed by other accounts "
                                       "(mode " +
                                       Mode(st.st_mode) + ")");
        if (holder == "/")
            return "";
    }
}

} // namespace

std::string DefaultLinkFolder() {
    if (const char* dir = std::getenv("TIDEWRIGHT_LINK_DIR"); dir && *dir)
        return WithoutTrailingSlash(dir);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return WithoutTrailingSlash(runtime) + "/tidewright-link";
    // The user id in the name keeps users apart; PrepareLinkFolder refuses a folder of that
    // name that someone else made first.
    const char* tmp = std::getenv("TMPDIR");
    const std::string temp = tmp && *tmp ? WithoutTrailingSlash(tmp) : "/tmp";
    return (temp == "/" ? "" : temp) + "/tidewright-link-" + std::to_string(::geteuid());
}

std::string PrepareLinkFolder(const std::string& named) {
    const std::string folder = WithoutTrailingSlash(named);
    if (folder.empty())
        return Refusal("\"\"", "no folder is named");
    // Missing holders are this user's alone as well; a failure shows in the folder's own mkdir.
    for (auto slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    if (::mkdir(folder.c_str(), 0700) == 0)
        ::chmod(folder.c_str(), 0700); // whatever the umask took away
    else if (errno != EEXIST)
        return Refusal(folder, "cannot create it: " + SystemReason());
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0)
        return Refusal(folder, "cannot read it: " + SystemReason());
    if (S_ISLNK(st.st_mode))
        return Refusal(folder, "it is a symbolic link");
    if (!S_ISDIR(st.st_mode))
        return Refusal(folder, "it is not a folder");
    if (st.st_uid != ::geteuid())
        return Refusal(folder, "it belongs to user id " + std::to_string(st.st_uid) +
                                   ", not to you (" + std::to_string(::geteuid()) + ")");
    if ((st.st_mode & 07777) != 0700)
        return Refusal(folder, "its mode is " + Mode(st.st_mode) + ", not 0700");
    return CheckHolders(folder);
}

} // namespace tw
