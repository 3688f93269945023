#pragma once

#include <QString>

#include "link/GatewayClient.h"

namespace netview {

// What the Network tab needs of the link's owner: the one connection to the
// gateway (its channel), how to make it, and the service's guard. The RF page
// is the owner in the program; tests give their own.
class SiteLink {
public:
    virtual ~SiteLink() = default;
    virtual devlink::Channel& Channel() = 0;
    // "address:port" as the owner would connect to it.
    virtual QString Address() const = 0;
    virtual void Connect() = 0;
    virtual bool ServiceStopped() const = 0;
    // Stops the service (it was running) or starts it again (it was stopped).
    virtual void StopService() = 0;
    virtual void RestartService() = 0;
};

}  // namespace netview
