#include "app/RecentGateways.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QLineEdit>
#include <QSettings>

#include "res/IpAddressCtrl.h"
#include "res/Settings.h"
#include "rfconfig/RFConfigDlg.h"

namespace app {
namespace {

const QString kGroup = QStringLiteral("recentGateways");
const QString kHost = QStringLiteral("host");
const QString kPort = QStringLiteral("port");

// Only what the IPv4 address field can show is offered and kept.
bool IsIpv4(const QString& host) { return QHostAddress(host).protocol() == QAbstractSocket::IPv4Protocol; }

}  // namespace

QList<GatewayAddress> WithLatest(QList<GatewayAddress> recent, const GatewayAddress& latest) {
    recent.removeAll(latest);
    recent.prepend(latest);
    if (recent.size() > kRecentGateways) recent.resize(kRecentGateways);
    return recent;
}

QList<GatewayAddress> LoadRecentGateways(QSettings& settings) {
    QList<GatewayAddress> recent;
    const int n = settings.beginReadArray(kGroup);
    for (int i = 0; i < n && recent.size() < kRecentGateways; ++i) {
        settings.setArrayIndex(i);
        const GatewayAddress g{settings.value(kHost).toString(), settings.value(kPort).toString()};
        if (IsIpv4(g.host) && !recent.contains(g)) recent.append(g);
    }
    settings.endArray();
    return recent;
}

void SaveRecentGateways(QSettings& settings, const QList<GatewayAddress>& recent) {
    settings.remove(kGroup);
    settings.beginWriteArray(kGroup, static_cast<int>(recent.size()));
    for (int i = 0; i < recent.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kHost, recent[i].host);
        settings.setValue(kPort, recent[i].port);
    }
    settings.endArray();
}

RecentGatewayPicker::RecentGatewayPicker(RFConfigDlg& page) : QToolButton(&page), m_page(page) {
    setObjectName(QStringLiteral("recentGateways"));
    setToolTip(QCoreApplication::translate("Veskora", "최근 연결한 게이트웨이"));
    setArrowType(Qt::DownArrow);
    setPopupMode(QToolButton::InstantPopup);
    setFocusPolicy(Qt::NoFocus);
    setMenu(&m_menu);
    // In the gap between the address field and the "Port" label.
    const QRect field = page.m_ipAddress->geometry();
    setGeometry(field.right() + 2, field.top(), qMin(field.height(), 20), field.height());

    show();  // the page is already up when the button joins it

    m_recent = LoadRecentGateways(*res::OpenSettings());
    Refill();
    connect(&page, &RFConfigDlg::LinkStateChanged, this, [this](RFConfigDlg::LinkState state) {
        if (state == RFConfigDlg::LinkState::Connected) Remember();
    });
}

RecentGatewayPicker::~RecentGatewayPicker() = default;

void RecentGatewayPicker::Choose(qsizetype index) {
    if (index < 0 || index >= m_recent.size()) return;
    const GatewayAddress& g = m_recent[index];
    m_page.m_ipAddress->SetAddress(QHostAddress(g.host).toIPv4Address());
    m_page.m_editPort->setText(g.port);
}

void RecentGatewayPicker::Remember() {
    const GatewayAddress latest{m_page.m_ipAddress->Text(), m_page.m_editPort->text()};
    if (!IsIpv4(latest.host)) return;
    m_recent = WithLatest(m_recent, latest);
    SaveRecentGateways(*res::OpenSettings(), m_recent);
    Refill();
}

void RecentGatewayPicker::Refill() {
    m_menu.clear();
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        const GatewayAddress& g = m_recent[i];
        QAction* item = m_menu.addAction(g.host + u':' + g.port);
        connect(item, &QAction::triggered, this, [this, i] { Choose(i); });
    }
    setEnabled(!m_recent.isEmpty());
}

}  // namespace app
