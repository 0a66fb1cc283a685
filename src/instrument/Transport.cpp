#include "instrument/Transport.h"

#include "instrument/SocketTransport.h"
#include "instrument/UsbtmcTransport.h"
#include "instrument/Vxi11Transport.h"

namespace tw {

std::unique_ptr<Transport> OpenTransport(const Resource& resource, std::string& error) {
    switch (resource.kind) {
    case Resource::Kind::Tcp:
        return std::make_unique<SocketTransport>(resource.host, resource.port);
    case Resource::Kind::Usbtmc:
        return std::make_unique<UsbtmcTransport>(resource.device);
    case Resource::Kind::Vxi11:
        return std::make_unique<Vxi11Transport>(resource.host, resource.port, resource.device);
    }
    error = ResourceText(resource) + ": not an instrument resource";
    return nullptr;
}

} // namespace tw
