#include "instrument/Transport.h"

#include "instrument/SocketTransport.h"
#include "instrument/UsbtmcTransport.h"

namespace tw {

std::unique_ptr<Transport> OpenTransport(const Resource& resource, std::string& error) {
    switch (resource.kind) {
    case Resource::Kind::Tcp:
        return std::make_unique<SocketTransport>(resource.host, resource.port);
    case Resource::Kind::Usbtmc:
        return std::make_unique<UsbtmcTransport>(resource.device);
    case Resource::Kind::Vxi11:
        break;
    }
    error = ResourceText(resource) + ": this build does not reach instruments of that kind yet";
    return nullptr;
}

} // namespace tw
