#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "app/WindowPlacement.h"
#include "res/ListCtrl.h"
#include "res/TabCtrl.h"
#include "res/TemplateBuilder.h"
#include "support/LinkPeer.h"
#include "support/Modal.h"
#include "support/PromptRecorder.h"

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override { main.Create(); }

    // What the user does to pick a tab: a click on it.
    void ClickTab(int index) {
        QTabBar* bar = main.m_tabMain->Bar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    PromptRecorder prompts;
    CVeskoraRFConfigurationDlg main;
};

}  // namespace

TEST_F(MainWindow, StartsMinimizedAndRestoresMaximizedOnTheRfTab) {
    EXPECT_TRUE(main.isMinimized());
    EXPECT_TRUE(main.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_TRUE(main.windowTitle().isEmpty());
    EXPECT_FALSE(main.windowIcon().isNull());

    // The two specified tabs first, then the Network tab.
    ASSERT_EQ(main.m_tabMain->GetItemCount(), 3);
    EXPECT_EQ(main.m_tabMain->Bar()->tabText(0), QStringLiteral("RF Configuration"));
    EXPECT_EQ(main.m_tabMain->Bar()->tabText(1), QStringLiteral("ID Setting"));
    EXPECT_EQ(main.m_tabMain->Bar()->tabText(2), QStringLiteral("Network"));
    EXPECT_EQ(main.m_tabMain->GetCurSel(), 0);
    EXPECT_EQ(main.m_pwndShow, &main.m_dlgRfConfig);
    EXPECT_FALSE(main.m_dlgRfConfig.isHidden());
    EXPECT_TRUE(main.m_dlgIdSetting.isHidden());
}

TEST_F(MainWindow, PagesSitInsideTheTabControlAndTheIdPageIsTenPixelsShorter) {
    const QSize tab = main.m_tabMain->size();
    EXPECT_EQ(main.m_dlgRfConfig.parentWidget(), main.m_tabMain);
    EXPECT_EQ(main.m_dlgIdSetting.parentWidget(), main.m_tabMain);
    EXPECT_EQ(main.m_dlgRfConfig.geometry(), QRect(5, 25, tab.width() - 10, tab.height() - 20));
    EXPECT_EQ(main.m_dlgIdSetting.geometry(), QRect(5, 25, tab.width() - 10, tab.height() - 30));
    EXPECT_EQ(main.m_dlgRfConfig.height() - main.m_dlgIdSetting.height(), 10);
}

TEST_F(MainWindow, ResizingTheWindowMovesNeitherTheTabControlNorThePages) {
    main.showNormal();
    const QRect tab = main.m_tabMain->geometry();
    const QRect rf = main.m_dlgRfConfig.geometry();
    const QRect ids = main.m_dlgIdSetting.geometry();
    for (const QSize size : {QSize(640, 480), QSize(2400, 1400)}) {
        main.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(main.m_tabMain->geometry(), tab);
        EXPECT_EQ(main.m_dlgRfConfig.geometry(), rf);
        EXPECT_EQ(main.m_dlgIdSetting.geometry(), ids);
    }
}

TEST_F(MainWindow, SwitchingTabsSwapsThePagesAndKeepsTheRfPageState) {
    main.showNormal();
    RFConfigDlg& rf = main.m_dlgRfConfig;
    rf.m_editLog->setPlainText(QStringLiteral("[GET][SEND] AT+GET G2 ABC123"));
    rf.m_listNodes->SetCheck(3, true);
    rf.m_editPort->setText(QStringLiteral("6000"));

    ClickTab(1);
    EXPECT_EQ(main.m_tabMain->GetCurSel(), 1);
    EXPECT_TRUE(rf.isHidden());
    EXPECT_FALSE(main.m_dlgIdSetting.isHidden());
    EXPECT_EQ(main.m_pwndShow, &main.m_dlgIdSetting);

    ClickTab(0);
    EXPECT_FALSE(rf.isHidden());
    EXPECT_TRUE(main.m_dlgIdSetting.isHidden());
    EXPECT_EQ(rf.m_editLog->toPlainText(), QStringLiteral("[GET][SEND] AT+GET G2 ABC123"));
    EXPECT_TRUE(rf.m_listNodes->GetCheck(3));
    EXPECT_EQ(rf.m_editPort->text(), QStringLiteral("6000"));
    EXPECT_EQ(rf.m_listNetKeys->GetItemCount(), 21);
}

TEST_F(MainWindow, SelectionOutsideTheTabsLeavesNoPageUntilAValidOne) {
    main.OnTcnSelchangeTab(-1);
    EXPECT_EQ(main.m_pwndShow, nullptr);
    EXPECT_TRUE(main.m_dlgRfConfig.isHidden());
    EXPECT_TRUE(main.m_dlgIdSetting.isHidden());

    main.OnTcnSelchangeTab(static_cast<int>(main.m_pages.size()));  // one past the last tab
    EXPECT_EQ(main.m_pwndShow, nullptr);

    main.OnTcnSelchangeTab(1);
    EXPECT_EQ(main.m_pwndShow, &main.m_dlgIdSetting);
    EXPECT_FALSE(main.m_dlgIdSetting.isHidden());
    EXPECT_TRUE(main.m_dlgRfConfig.isHidden());
}

TEST_F(MainWindow, MenuBarHoldsFileAndConnectWithIpAddress) {
    const QList<QAction*> top = main.m_menuBar->actions();
    ASSERT_GE(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("파일"));
    EXPECT_EQ(top[0]->menu(), nullptr);
    EXPECT_EQ(top[1]->text(), QStringLiteral("Connect"));
    ASSERT_NE(top[1]->menu(), nullptr);
    ASSERT_EQ(top[1]->menu()->actions().size(), 1);
    EXPECT_EQ(top[1]->menu()->actions()[0]->text(), QStringLiteral("IP Address"));
    EXPECT_EQ(main.MenuCommand(CVeskoraRFConfigurationDlg::kCmdIpAddress), top[1]->menu()->actions()[0]);
}

TEST_F(MainWindow, FileMenuItemDoesNothing) {
    main.showNormal();
    const bool opened = WithModal([&] { main.MenuCommand(CVeskoraRFConfigurationDlg::kCmdFile)->trigger(); },
                                  [](QWidget* modal) { modal->close(); }, 200);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(main.isVisible());
}

TEST_F(MainWindow, IpAddressOpensTheConnectionDialogAndClosingItLeavesTheWindowAsItWas) {
    main.showNormal();
    main.m_dlgRfConfig.m_editLog->setPlainText(QStringLiteral("log"));
    QString title;
    const bool opened = WithModal([&] { main.MenuCommand(CVeskoraRFConfigurationDlg::kCmdIpAddress)->trigger(); },
                                  [&](QWidget* modal) {
                                      EXPECT_NE(qobject_cast<TCPIPConn*>(modal), nullptr);
                                      title = modal->windowTitle();
                                      QTest::keyClick(modal, Qt::Key_Escape);
                                  });
    EXPECT_TRUE(opened);
    EXPECT_EQ(title, QStringLiteral("TCP/IP Connection"));
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.m_pwndShow, &main.m_dlgRfConfig);
    EXPECT_EQ(main.m_dlgRfConfig.m_editLog->toPlainText(), QStringLiteral("log"));
}

TEST_F(MainWindow, AboutItemOpensTheAboutBoxWhichItsButtonCloses) {
    main.showNormal();
    QAction* about = main.MenuCommand(static_cast<int>(CVeskoraRFConfigurationDlg::kCmdAbout));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QStringLiteral("VeskoraRFConfiguration 정보(&A)..."));

    const bool opened = WithModal([&] { about->trigger(); },
                                  [](QWidget* modal) {
                                      EXPECT_NE(qobject_cast<CAboutDlg*>(modal), nullptr);
                                      QTest::mouseClick(res::Control<QPushButton>(modal, 1), Qt::LeftButton);
                                  });
    EXPECT_TRUE(opened);
}

TEST_F(MainWindow, WindowCommandsOpenTheAboutBoxOnlyForTheAboutIdWhateverItsLowBits) {
    main.showNormal();
    EXPECT_TRUE(WithModal([&] { main.OnSysCommand(0x0013); }, [](QWidget* m) { m->close(); }));
    EXPECT_FALSE(WithModal([&] { main.OnSysCommand(0x0020); }, [](QWidget* m) { m->close(); }, 200));
    EXPECT_FALSE(WithModal([&] { main.OnSysCommand(0xF060); }, [](QWidget* m) { m->close(); }, 200));
}

TEST_F(MainWindow, EnterAndEscapeOnAPageNeverEndTheRun) {
    main.showNormal();
    QSignalSpy finished(&main, &QDialog::finished);
    RFConfigDlg& rf = main.m_dlgRfConfig;
    // Should Enter ever press Connect, it must not leave this machine.
    AimAt(rf, FreePort());
    for (QWidget* target : {static_cast<QWidget*>(rf.m_editPort), static_cast<QWidget*>(rf.m_btnConnect),
                            static_cast<QWidget*>(rf.m_listNodes), static_cast<QWidget*>(&rf)}) {
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_Escape);
    }
    ClickTab(1);
    QTest::keyClick(&main.m_dlgIdSetting, Qt::Key_Escape);
    QTest::keyClick(res::FindControl(&main.m_dlgIdSetting, 1006), Qt::Key_Return);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(main.isVisible());
}

TEST_F(MainWindow, EscapeOnTheWindowItselfEndsTheRun) {
    int result = -1;
    QTimer::singleShot(0, &main, [&] {
        main.m_tabMain->Bar()->setFocus();
        QTest::keyClick(main.m_tabMain->Bar(), Qt::Key_Escape);
    });
    result = main.exec();
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(MainWindow, EnterOnTheWindowItselfEndsTheRunLikeOk) {
    QTimer::singleShot(0, &main, [&] { QTest::keyClick(main.m_tabMain->Bar(), Qt::Key_Return); });
    EXPECT_EQ(main.exec(), QDialog::Accepted);
}

TEST_F(MainWindow, EachTabOfTheTableShowsItsOwnPageOnly) {
    main.showNormal();
    const int tabs = main.m_tabMain->GetItemCount();
    ASSERT_EQ(tabs, static_cast<int>(main.m_pages.size()));
    for (int i = tabs - 1; i >= 0; --i) {
        ClickTab(i);
        EXPECT_EQ(main.m_tabMain->Bar()->tabText(i), main.m_pages[static_cast<size_t>(i)].title);
        EXPECT_EQ(main.m_pwndShow, main.m_pages[static_cast<size_t>(i)].page);
        for (int j = 0; j < tabs; ++j) EXPECT_EQ(main.m_pages[static_cast<size_t>(j)].page->isHidden(), j != i);
    }
}

TEST_F(MainWindow, AWindowSmallerThanThePagesScrollsTheTabAreaAndOnlyThen) {
    main.showNormal();
    QApplication::processEvents();  // the restore settles before the user resizes
    const QRect tab = main.m_tabMain->geometry();
    const QRect rf = main.m_dlgRfConfig.geometry();
    QScrollBar* across = main.m_scrollTabs->horizontalScrollBar();
    QScrollBar* down = main.m_scrollTabs->verticalScrollBar();

    main.resize(640, 480);
    QApplication::processEvents();
    EXPECT_TRUE(across->isVisible());
    EXPECT_TRUE(down->isVisible());
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    // Scrolled to the far corner, the node list's and the log's last pixels are in view.
    const QWidget* viewport = main.m_scrollTabs->viewport();
    const QPoint corner = main.m_tabMain->mapTo(viewport, main.m_tabMain->rect().bottomRight());
    EXPECT_TRUE(viewport->rect().contains(corner));
    EXPECT_EQ(main.m_tabMain->geometry(), tab);
    EXPECT_EQ(main.m_dlgRfConfig.geometry(), rf);

    main.resize(main.m_scrollTabs->widget()->size() + QSize(40, 80));
    QApplication::processEvents();
    EXPECT_FALSE(across->isVisible());
    EXPECT_FALSE(down->isVisible());
}

TEST_F(MainWindow, RestoredWindowIsNeverLargerThanTheAvailableScreenArea) {
    const QRect available = main.screen()->availableGeometry();
    // The test screen is smaller than the designed window, so the limit is real.
    ASSERT_LT(available.width(), main.m_tabMain->width());
    main.showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(available.contains(main.geometry()));

    const QRect screen(0, 0, 1366, 768);
    EXPECT_EQ(app::FitInto(QRect(-50, 700, 2000, 900), screen), screen);
    EXPECT_EQ(app::FitInto(QRect(1300, 700, 400, 300), screen), QRect(966, 468, 400, 300));
    EXPECT_EQ(app::FitInto(QRect(10, 20, 400, 300), screen), QRect(10, 20, 400, 300));
}

TEST_F(MainWindow, TheNetworkTabFillsTheWindowWithCancelAndTheResultInViewWhileThePagesKeepTheirSize) {
    main.showNormal();
    const QRect designedTab = main.m_tabMain->geometry();
    ClickTab(2);
    QWidget* cancel = nullptr;
    for (auto* b : main.m_pageNetwork.findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Cancel")) cancel = b;
    }
    auto* result = main.m_pageNetwork.findChild<QWidget*>(QStringLiteral("result"));
    ASSERT_TRUE(cancel && result);
    const QWidget* viewport = main.m_scrollTabs->viewport();
    // The test's screen is small (the tour shows larger ones): a laptop's and less.
    for (const QSize size : {QSize(700, 500), main.AvailableArea().size()}) {
        main.resize(size);
        QApplication::processEvents();
        for (const QWidget* w : {cancel, result}) {
            EXPECT_TRUE(viewport->rect().contains(QRect(w->mapTo(viewport, QPoint()), w->size())))
                << size.width() << "x" << size.height();
        }
        // The page takes the width the window has, less the tab control's margins.
        EXPECT_GE(main.m_pageNetwork.width(), viewport->width() - 40) << size.width();
        EXPECT_EQ(main.m_scrollTabs->horizontalScrollBar()->maximum(), 0) << size.width();
    }
    ClickTab(0);
    EXPECT_EQ(main.m_tabMain->geometry(), designedTab);
}
