#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "res/IpAddressCtrl.h"
#include "res/TemplateBuilder.h"
#include "support/Modal.h"

namespace {

QLineEdit* Port(QWidget* dlg) { return res::Control<QLineEdit>(dlg, 1009); }
res::IpAddressCtrl* Address(QWidget* dlg) { return res::Control<res::IpAddressCtrl>(dlg, 1003); }

}  // namespace

TEST(ConnectionDialog, ShowsItsFieldsAndButtonsAndNoOkOrCancel) {
    TCPIPConn dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("TCP/IP Connection"));
    ASSERT_NE(Address(&dlg), nullptr);
    ASSERT_NE(Port(&dlg), nullptr);
    EXPECT_TRUE(Address(&dlg)->IsBlank());
    EXPECT_TRUE(Port(&dlg)->text().isEmpty());
    QStringList buttons;
    for (auto* b : dlg.findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)) buttons << b->text();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Listen"), QStringLiteral("Connect")}));
    QStringList labels;
    for (auto* l : dlg.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) labels << l->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("IP address: "), QStringLiteral("Port: ")}));
    // Any characters go into the port field.
    QTest::keyClicks(Port(&dlg), QStringLiteral("80a!"));
    EXPECT_EQ(Port(&dlg)->text(), QStringLiteral("80a!"));
}

TEST(ConnectionDialog, ListenAndConnectNeitherCloseItNorDoAnything) {
    TCPIPConn dlg;
    dlg.show();
    QSignalSpy finished(&dlg, &QDialog::finished);
    QTest::mouseClick(res::Control<QPushButton>(&dlg, 1007), Qt::LeftButton);
    QTest::mouseClick(res::Control<QPushButton>(&dlg, 1008), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(dlg.isVisible());
}

TEST(ConnectionDialog, EnterInThePortFieldEndsItLikeOkAndEscapeLikeCancel) {
    {
        TCPIPConn dlg;
        QTimer::singleShot(0, &dlg, [&] {
            Port(&dlg)->setFocus();
            QTest::keyClicks(Port(&dlg), QStringLiteral("5555"));
            QTest::keyClick(Port(&dlg), Qt::Key_Return);
        });
        EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    }
    {
        TCPIPConn dlg;
        QTimer::singleShot(0, &dlg, [&] { QTest::keyClick(Address(&dlg)->Field(0), Qt::Key_Escape); });
        EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    }
    {
        TCPIPConn dlg;
        QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
        EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    }
}

TEST(ConnectionDialog, EnterWithAModifierLeavesItOpen) {
    TCPIPConn dlg;
    dlg.show();
    QSignalSpy finished(&dlg, &QDialog::finished);
    QTest::keyClick(Port(&dlg), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(Port(&dlg), Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(finished.count(), 0);
    QTest::keyClick(Port(&dlg), Qt::Key_Enter);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(ConnectionDialog, ForgetsWhatWasTypedBetweenOpenings) {
    CVeskoraRFConfigurationDlg main;
    main.Create();
    main.showNormal();
    const auto open = [&] { main.OnIpAddress(); };
    ASSERT_TRUE(WithModal(open, [](QWidget* dlg) {
        QTest::keyClicks(Port(dlg), QStringLiteral("7000"));
        Address(dlg)->SetAddress(127, 0, 0, 1);
        QTest::keyClick(Port(dlg), Qt::Key_Return);
    }));
    bool blank = false;
    ASSERT_TRUE(WithModal(open, [&](QWidget* dlg) {
        blank = Port(dlg)->text().isEmpty() && Address(dlg)->IsBlank();
        dlg->close();
    }));
    EXPECT_TRUE(blank);
    // Nothing reached the RF page either.
    EXPECT_EQ(main.m_dlgRfConfig.m_editPort->text(), QStringLiteral("5555"));
    EXPECT_FALSE(main.m_dlgRfConfig.m_bConnected);
}
