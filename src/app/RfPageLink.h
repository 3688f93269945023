#pragma once

#include "netview/SiteLink.h"
#include "rfconfig/RFConfigDlg.h"

// The RF page's one link to the gateway, lent to the Network tab: lines go
// out through the page's SendCommand (so the log shows them as any command),
// every frame the page handles comes back, and the page's own Connect and
// service button are pressed for the tab. The page itself does not change.
class RfPageLink : public devlink::Channel, public netview::SiteLink {
    Q_OBJECT

public:
    explicit RfPageLink(RFConfigDlg& page);

    void Send(const std::string& line) override;
    bool IsOpen() const override;

    devlink::Channel& Channel() override { return *this; }
    QString Address() const override;
    void Connect() override;
    bool ServiceStopped() const override { return m_page.m_bServiceStopped; }
    void StopService() override;
    void RestartService() override;

private:
    RFConfigDlg& m_page;
};
