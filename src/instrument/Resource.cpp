#include "instrument/Resource.h"

#include <charconv>

namespace tw {

namespace {

ResourceParse Refuse(std::string_view text, const std::string& why) {
    return {std::nullopt, "'" + std::string(text) + "' is not an instrument resource: " + why};
}

bool ParsePort(std::string_view text, int& port) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    return ec == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

// "host", "host:port", "[v6]" or "[v6]:port"; the port stays as it was when none is given.
bool SplitHostPort(std::string_view text, std::string& host, int& port, std::string& why) {
    std::string_view rest;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            why = "an IPv6 address needs its closing ']'";
            return false;
        }
        host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
    } else {
        const auto colon = text.find(':');
        host = text.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    }
    if (host.empty()) {
        why = "no host given";
        return false;
    }
    if (rest.empty())
        return true;
    if (!rest.starts_with(':') || !ParsePort(rest.substr(1), port)) {
        why = "the port must be a number from 1 to 65535";
        return false;
    }
    return true;
}

} // namespace

ResourceParse ParseResource(std::string_view text) {
    constexpr std::string_view kTcp = "tcp://", kVxi = "vxi11://", kUsb = "usbtmc://";
    Resource r;
    std::string why;
    if (text.starts_with(kTcp)) {
        r.kind = Resource::Kind::Tcp;
        r.port = kScpiSocketPort;
        std::string_view rest = text.substr(kTcp.size());
        if (rest.ends_with('/'))
            rest.remove_suffix(1);
        if (!SplitHostPort(rest, r.host, r.port, why))
            return Refuse(text, why);
    } else if (text.starts_with(kVxi)) {
        r.kind = Resource::Kind::Vxi11;
        std::string_view rest = text.substr(kVxi.size());
        const auto slash = rest.find('/');
        r.device = slash == std::string_view::npos ? "inst0" : std::string(rest.substr(slash + 1));
        if (r.device.empty())
            r.device = "inst0";
        if (!SplitHostPort(rest.substr(0, slash), r.host, r.port, why))
            return Refuse(text, why);
    } else if (text.starts_with(kUsb)) {
        r.kind = Resource::Kind::Usbtmc;
        r.device = text.substr(kUsb.size());
        if (!r.device.starts_with('/'))
            return Refuse(text, "usbtmc:// needs the device file, as in usbtmc:///dev/usbtmc0");
    } else {
        return Refuse(text, "it must begin with tcp://, vxi11:// or usbtmc://");
    }
    return {r, {}};
}

std::string ResourceText(const Resource& r) {
    const std::string host = r.host.find(':') != std::string::npos ? "[" + r.host + "]" : r.host;
    switch (r.kind) {
    case Resource::Kind::Tcp:
        return "tcp://" + host + ":" + std::to_string(r.port);
    case Resource::Kind::Vxi11:
        return "vxi11://" + host + (r.port ? ":" + std::to_string(r.port) : "") + "/" + r.device;
    case Resource::Kind::Usbtmc:
        return "usbtmc://" + r.device;
    }
    return {};
}

} // namespace tw
