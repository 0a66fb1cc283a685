#include "instrument/Transport.h"

#include "instrument/SocketTransport.h"

namespace tw {

std::unique_ptr<Transport> OpenTransport(const Resource& resource, std::string& error) {
    switch (resource.kind) {
    case Resource::Kind::Tcp:
        return std::make_unique<SocketTransport>(resource.host, resource.port);
    case Resource::Kind::Vxi11:
    case Resource::Kind::Usbtmc:
        break;
    }
    error = ResourceText(resource) + ": this build does not reach instruments of that kind yet";
    return nullptr;
}

} // namespace tw
