#include "app/StatusBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "res/IpAddressCtrl.h"
#include "res/Readings.h"
#include "rfconfig/RFConfigDlg.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/CommandText.h"

StatusBar::StatusBar(RFConfigDlg& page, QWidget* parent)
    : QStatusBar(parent), m_page(page), m_clock(network::SystemNow) {
    setSizeGripEnabled(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_link = new QLabel(this);
    m_service = new QLabel(this);
    m_activity = new QLabel(this);
    addPermanentWidget(m_link, 2);
    addPermanentWidget(m_service, 1);
    addPermanentWidget(m_activity, 2);

    connect(&m_page, &RFConfigDlg::LinkStateChanged, this,
            [this](RFConfigDlg::LinkState state) { OnLinkState(static_cast<int>(state)); });
    connect(&m_page, &RFConfigDlg::CommandSent, this, [this](int, const std::string& line, bool sent) {
        if (!sent) return;
        m_status.Sent(static_cast<std::int64_t>(line.size()));
        if (line == devlink::command::kStopService) m_status.SetService(LinkStatus::Service::Stopped);
        if (line == devlink::command::kRestartService) m_status.SetService(LinkStatus::Service::Running);
        Refresh();
    });
    connect(&m_page.Link(), &devlink::GatewayLink::FrameDecoded, this, [this](const devlink::Received& received) {
        m_status.Received(static_cast<std::int64_t>(received.frame.size()), m_clock());
    });
    connect(&m_page, &RFConfigDlg::LogAppended, this, [this](const std::string& text) {
        if (m_log.Append(textcodec::ToQString(text), m_clock()) || m_logFailureShown || !m_log.Path().size()) return;
        // Shown once; the link goes on whatever the disk does.
        m_logFailureShown = true;
        showMessage(res::Added("Session log: %1").arg(m_log.Error()));
    });
    connect(&m_page, &RFConfigDlg::LogTrimmed, this, [this] {
        // Said in what the limit counts, from the limit the page keeps.
        showMessage(res::Added("The log box keeps its newest %1 characters; every entry is in %2")
                        .arg(QLocale(QLocale::English).toString(m_page.LogLimit()), m_log.Path()));
    });
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &StatusBar::Refresh);
    m_tick.start();
    Refresh();
}

void StatusBar::WatchConnect() {
    QPushButton* button = m_page.m_btnConnect;
    connect(button, &QPushButton::pressed, this, [this] { m_connectedBeforePress = m_page.m_bConnected; });
    // Queued: the page's own handler, message box included, has run by then.
    connect(
        button, &QPushButton::clicked, this,
        [this] {
            if (m_connectedBeforePress || m_page.m_bConnected) return;
            showMessage(res::Added("Could not connect to %1:%2 — %3")
                            .arg(m_page.m_ipAddress->Text(), m_page.m_editPort->text(), m_page.m_strLinkError));
        },
        Qt::QueuedConnection);
}

void StatusBar::StartSessionLog(const QString& folder) {
    if (!m_log.Open(folder, m_clock())) {
        m_logFailureShown = true;
        showMessage(res::Added("Session log: %1").arg(m_log.Error()));
        return;
    }
    m_page.SetLogLimit(kLogBoxLimit);
    if (m_log.FolderOpenToOthers()) {
        showMessage(
            res::Added("Session log: other users can open the folder %1 (the log files are yours alone)").arg(folder));
    }
}

void StatusBar::OnLinkState(int state) {
    using S = RFConfigDlg::LinkState;
    const QString address = m_page.m_ipAddress ? m_page.m_ipAddress->Text() : QString();
    const auto port = static_cast<quint16>(m_page.m_editPort ? m_page.m_editPort->text().toUInt() : 0);
    const std::int64_t now = m_clock();
    switch (static_cast<S>(state)) {
        case S::Idle: m_status.SetLink(LinkStatus::Link::NotConnected, {}, 0, now); break;
        case S::Dropped:
        case S::DroppedAfterPress: {
            const bool listening = m_page.m_pListenSocket && m_page.m_pListenSocket->isListening();
            m_status.SetLink(LinkStatus::Link::Lost, address, port, now, listening);
            break;
        }
        case S::Connected:
        case S::AcceptedAfterPress: {
            // A connection to the page's listening port is the gateway's own, after a loss: say from where.
            const bool back = m_status.CurrentLink() == LinkStatus::Link::Lost && m_page.m_pDataSocket &&
                              m_page.m_pDataSocket->localPort() == port;
            const QString peer = m_page.m_pDataSocket ? m_page.m_pDataSocket->peerAddress().toString() : address;
            m_status.SetLink(back ? LinkStatus::Link::ConnectedBack : LinkStatus::Link::Connected,
                             back ? peer : address, port, now);
            break;
        }
    }
    LogLinkEvent(m_status.LinkText(true));
    Refresh();
}

void StatusBar::LogLinkEvent(const QString& text) {
    if (m_log.Healthy()) m_log.Append(QStringLiteral("[Link] %1\r\n").arg(text), m_clock());
}

void StatusBar::Refresh() {
    m_link->setText(m_status.LinkText());
    m_service->setText(m_status.ServiceText());
    m_activity->setText(m_status.ActivityText(m_clock()));
}

QString StatusBar::LinkLabel() const { return m_link->text(); }
QString StatusBar::ServiceLabel() const { return m_service->text(); }
QString StatusBar::ActivityLabel() const { return m_activity->text(); }
