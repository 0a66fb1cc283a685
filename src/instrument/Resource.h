#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Where an instrument is reached, as the user writes it:
//   tcp://host[:port]        raw SCPI socket, port 5025 by default
//   vxi11://host[/device]    VXI-11 (device "inst0" by default)
//   usbtmc:///dev/usbtmcN    the kernel's USBTMC character device
struct Resource {
    enum class Kind { Tcp, Vxi11, Usbtmc };
    Kind kind = Kind::Tcp;
    std::string host;   // as given: a name or an IPv4/IPv6 address ("[::1]" loses its brackets)
    int port = 0;       // tcp: the port; vxi11: 0 asks the portmapper
    std::string device; // vxi11: the device name; usbtmc: the device file
};

inline constexpr int kScpiSocketPort = 5025;

struct ResourceParse {
    std::optional<Resource> resource;
    std::string error; // why the text is not a resource
};

ResourceParse ParseResource(std::string_view text);

// The resource as text again, for messages.
std::string ResourceText(const Resource& resource);

} // namespace tw
