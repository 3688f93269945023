#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSettings>

#include "app/RecentGateways.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "res/IpAddressCtrl.h"
#include "res/Settings.h"
#include "support/LinkPeer.h"
#include "support/PromptRecorder.h"

namespace {

using app::GatewayAddress;

// Each test starts from settings of its own (the test main's), as a first run does.
class Remember : public testing::Test {
protected:
    static QStringList Offered(const app::RecentGatewayPicker& picker) {
        QStringList texts;
        for (const QAction* item : picker.menu()->actions()) texts << item->text();
        return texts;
    }

    PromptRecorder prompts;
};

}  // namespace

TEST(RecentGateways, LatestFirstWithoutRepeatsAndAtMostEight) {
    QList<GatewayAddress> recent;
    for (int i = 1; i <= 10; ++i)
        recent = app::WithLatest(recent, {QStringLiteral("10.0.0.%1").arg(i), QStringLiteral("5555")});
    ASSERT_EQ(recent.size(), 8);
    EXPECT_EQ(recent.front().host, QStringLiteral("10.0.0.10"));
    EXPECT_EQ(recent.back().host, QStringLiteral("10.0.0.3"));

    recent = app::WithLatest(recent, {QStringLiteral("10.0.0.5"), QStringLiteral("5555")});
    ASSERT_EQ(recent.size(), 8);
    EXPECT_EQ(recent.front().host, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(recent.count({QStringLiteral("10.0.0.5"), QStringLiteral("5555")}), 1);
    // The same address on another port is another gateway.
    recent = app::WithLatest(recent, {QStringLiteral("10.0.0.5"), QStringLiteral("6000")});
    EXPECT_EQ(recent.count({QStringLiteral("10.0.0.5"), QStringLiteral("5555")}), 1);
    EXPECT_EQ(recent.size(), 8);
}

TEST_F(Remember, ConnectingRemembersTheGatewayAndTheNextWindowOffersItWithoutConnecting) {
    Peer peer;
    const QString port = QString::number(peer.server.serverPort());
    {
        CVeskoraRFConfigurationDlg first;
        first.Create();
        RFConfigDlg& rf = first.m_dlgRfConfig;
        EXPECT_FALSE(first.m_recentGateways->isEnabled());
        AimAt(rf, peer.server.serverPort());
        QTest::mouseClick(rf.m_btnConnect, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000));
        EXPECT_EQ(Offered(*first.m_recentGateways), QStringList{QStringLiteral("127.0.0.1:") + port});
    }

    CVeskoraRFConfigurationDlg next;
    next.Create();
    RFConfigDlg& rf = next.m_dlgRfConfig;
    // The preset stays until the technician chooses, and nothing connects.
    EXPECT_EQ(rf.m_ipAddress->Text(), QStringLiteral("192.168.1.200"));
    EXPECT_EQ(rf.m_editPort->text(), QStringLiteral("5555"));
    EXPECT_TRUE(next.m_recentGateways->isEnabled());
    ASSERT_EQ(Offered(*next.m_recentGateways), QStringList{QStringLiteral("127.0.0.1:") + port});

    next.m_recentGateways->menu()->actions().front()->trigger();
    EXPECT_EQ(rf.m_ipAddress->Text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(rf.m_editPort->text(), port);
    EXPECT_EQ(rf.m_pDataSocket, nullptr);
    EXPECT_FALSE(rf.m_bConnected);
    EXPECT_EQ(prompts.shown.size(), 1u);  // the first window's "connected" box only
}

TEST_F(Remember, StoredListKeepsOnlyAddressesTheFieldCanShow) {
    {
        const auto settings = res::OpenSettings();
        app::SaveRecentGateways(*settings, {{QStringLiteral("192.168.1.7"), QStringLiteral("5555")},
                                            {QStringLiteral("::1"), QStringLiteral("5555")},
                                            {QStringLiteral("gateway.local"), QStringLiteral("5555")},
                                            {QStringLiteral("192.168.1.7"), QStringLiteral("5555")}});
    }
    const auto settings = res::OpenSettings();
    const QList<GatewayAddress> loaded = app::LoadRecentGateways(*settings);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded.front().host, QStringLiteral("192.168.1.7"));
}

TEST_F(Remember, TheWindowsSizeAndPlaceComeBackFittedToTheScreen) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect place(available.topLeft() + QPoint(30, 40), QSize(500, 400));
    {
        CVeskoraRFConfigurationDlg first;
        first.Create();
        first.showNormal();
        first.setGeometry(place);
        first.reject();
    }
    CVeskoraRFConfigurationDlg next;
    next.Create();
    next.showNormal();
    EXPECT_EQ(next.geometry(), place);

    res::OpenSettings()->setValue(QStringLiteral("window/place"), QRect(-3000, -3000, 9000, 9000));
    CVeskoraRFConfigurationDlg oversized;
    oversized.Create();
    oversized.showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(available.contains(oversized.geometry()));
}
