#pragma once

#include <QList>
#include <QMenu>
#include <QString>
#include <QToolButton>

class QSettings;
class RFConfigDlg;

namespace app {

// A gateway the RF page connected to, as its address and port were typed.
struct GatewayAddress {
    QString host;
    QString port;
    bool operator==(const GatewayAddress&) const = default;
};

// How many gateways are remembered.
inline constexpr qsizetype kRecentGateways = 8;

// The list with latest first; an earlier entry equal to it goes, and only the
// first eight stay.
QList<GatewayAddress> WithLatest(QList<GatewayAddress> recent, const GatewayAddress& latest);

QList<GatewayAddress> LoadRecentGateways(QSettings& settings);
void SaveRecentGateways(QSettings& settings, const QList<GatewayAddress>& recent);

// The drop-down beside the RF page's address field: it offers the last
// gateways, fills the address and port with the one chosen (it never
// connects), and remembers each gateway the page connects to.
class RecentGatewayPicker : public QToolButton {
    Q_OBJECT

public:
    explicit RecentGatewayPicker(RFConfigDlg& page);
    ~RecentGatewayPicker() override;

    const QList<GatewayAddress>& Recent() const { return m_recent; }
    // Puts the remembered gateway at index into the page's address and port.
    void Choose(qsizetype index);

private:
    void Remember();
    void Refill();

    RFConfigDlg& m_page;
    QMenu m_menu;
    QList<GatewayAddress> m_recent;
};

}  // namespace app
