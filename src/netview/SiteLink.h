#pragma once

#include <QString>

#include "link/GatewayLink.h"

namespace netview {

// What the Network tab needs of the window: the one link to the gateway (its
// channel and its live site), how to make it, and the service's guard, which
// the RF page's own buttons keep.
class SiteLink {
public:
    virtual ~SiteLink() = default;
    virtual devlink::GatewayLink& Link() = 0;
    // "address:port" as the owner would connect to it.
    virtual QString Address() const = 0;
    virtual void Connect() = 0;
    virtual bool ServiceStopped() const = 0;
    // Stops the service (it was running) or starts it again (it was stopped).
    virtual void StopService() = 0;
    virtual void RestartService() = 0;
};

}  // namespace netview
