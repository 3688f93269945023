// The technician's tasks by keyboard alone on the real main window, against
// the simulated gateway: no mouse event anywhere in these tests.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTreeWidget>
#include <fstream>

#include "network/NetworkFile.h"
#include "res/IpAddressCtrl.h"
#include "res/TabCtrl.h"
#include "res/TemplateBuilder.h"
#include "support/WindowWithGateway.h"

namespace {

class Keyboard : public WindowWithGateway {
protected:
    void Start() {
        WindowWithGateway::Start({}, QSize(1366, 768));
        prompts.answer = res::kIdYes;
        std::ofstream(ids::LocateIdFile().idFilePath, std::ios::binary)
            << "<LORAID><Gatewy><GM>FFFFFF</GM><G2A>A00001</G2A><G2B>A00002</G2B></Gatewy><Repeater><R1>"
               "<RM>R00001</RM><R2A>R10001</R2A><R2B>R10002</R2B><R91>R10091</R91><R92>R10092</R92>"
               "<R93>R10093</R93></R1></Repeater></LORAID>";
    }
    QTabBar* Bar() const { return main->m_tabMain->Bar(); }

    // Presses Tab (or Shift+Tab) until the target has the focus; false when it never comes.
    static bool TabTo(const QWidget* target, bool back = false) {
        for (int i = 0; i < 200 && QApplication::focusWidget() != target; ++i) {
            if (!PressKey(back ? Qt::Key_Backtab : Qt::Key_Tab)) return false;
        }
        return QApplication::focusWidget() == target;
    }
    // From the tab bar to the address, the port and Connect, by keys.
    void ConnectByKeys() {
        RFConfigDlg& rf = main->m_dlgRfConfig;
        Bar()->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(TabTo(rf.m_ipAddress->Field(0)));
        TypeIntoFocus(QStringLiteral("127.0.0.1"));
        ASSERT_TRUE(TabTo(rf.m_editPort));
        TypeIntoFocus(QString::number(sim->Port()));
        ASSERT_TRUE(TabTo(rf.m_btnConnect));
        PressKey(Qt::Key_Space);
        ASSERT_TRUE(rf.m_bConnected);
    }
    void ToNetworkTab() {
        ASSERT_TRUE(TabTo(Bar(), true));
        PressKey(Qt::Key_Right);
        PressKey(Qt::Key_Right);
        ASSERT_EQ(main->m_pwndShow, &main->m_pageNetwork);
    }
    QPushButton* Button(const QString& text) const {
        for (auto* b : main->m_pageNetwork.findChildren<QPushButton*>()) {
            if (b->text() == text && b->isVisible()) return b;
        }
        return nullptr;
    }
    // Tabs to the button and presses Space, then waits for the operation it starts to end.
    bool PressAndWait(const QString& text) {
        QSignalSpy finished(&main->m_pageNetwork, &netview::NetworkPage::Finished);
        QPushButton* b = Button(text);
        return b && TabTo(b) && PressKey(Qt::Key_Space) && (finished.count() > 0 || finished.wait(10000));
    }
    // The RF page's control (by template id) that holds the focus, or 0.
    int FocusedRfControl() const {
        const QWidget* page = &main->m_dlgRfConfig;
        for (const QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
            if (w->parentWidget() == page) return w->objectName().mid(3).toInt();
        }
        return 0;
    }
};

}  // namespace

TEST_F(Keyboard, TabWalksTheRfPageInTemplateOrderAndLeavesEveryList) {
    Start();
    Bar()->setFocus(Qt::TabFocusReason);
    std::vector<int> walked;
    for (int i = 0; i < 120; ++i) {
        ASSERT_TRUE(PressKey(Qt::Key_Tab));
        if (QApplication::focusWidget() == Bar()) break;
        const int id = FocusedRfControl();
        if (id != 0 && (walked.empty() || walked.back() != id)) walked.push_back(id);
    }
    ASSERT_EQ(QApplication::focusWidget(), Bar()) << "Tab never came back round to the tab bar";
    std::vector<int> expected;
    for (const res::ControlTemplate& c : res::Template(res::kTemplateRfConfig).controls) {
        const QWidget* w = res::FindControl(&main->m_dlgRfConfig, c.id);
        if ((c.style & res::kTabStop) && w && w->isVisible() && w->isEnabled()) expected.push_back(c.id);
    }
    EXPECT_EQ(walked, expected);
}

TEST_F(Keyboard, ConnectReadEscapeThenTheNetworkTabsShortcuts) {
    Start();
    // Tab into a field selects its text; a dot moves on to the next part of the address.
    ASSERT_NO_FATAL_FAILURE(ConnectByKeys());
    // The Network tab's shortcuts sleep while another tab shows.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(main->m_pageNetwork.Busy());

    // To the Network tab: back to the tab bar, then arrows.
    ASSERT_NO_FATAL_FAILURE(ToNetworkTab());
    netview::NetworkPage& network = main->m_pageNetwork;
    ASSERT_TRUE(TabTo(Button(QStringLiteral("Read all"))));
    QSignalSpy finished(&network, &netview::NetworkPage::Finished);
    PressKey(Qt::Key_Space);
    ASSERT_TRUE(network.Busy());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(network.Summary().startsWith(QStringLiteral("Read: "))) << network.Summary().toStdString();
    EXPECT_TRUE(network.HasUnsavedWork());
    // Closing now asks first; No stays.
    prompts.answer = res::kIdNo;
    main->close();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(prompts.shown.back().prompt.text.contains(QStringLiteral("in no saved plan or report")));
    prompts.answer = res::kIdYes;

    // Ctrl+R reads again; Escape stops it and asks nothing about quitting; Enter and Escape on an idle tab do nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(network.Busy());
    const std::size_t promptsBefore = prompts.shown.size();
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(network.Busy());
    EXPECT_TRUE(network.Summary().startsWith(QStringLiteral("Read all cancelled"))) << network.Summary().toStdString();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        QTest::keyClick(&network, key);
        EXPECT_TRUE(main->isVisible());
    }
    for (std::size_t i = promptsBefore; i < prompts.shown.size(); ++i) {
        EXPECT_NE(prompts.shown[i].prompt.caption, QStringLiteral("Quit"))
            << prompts.shown[i].prompt.text.toStdString();
    }

    // Compare, save the plan, write the report (".pdf" added), all by their keys.
    const QString plan = documents.filePath(QStringLiteral("plan.xml"));
    const QString report = documents.filePath(QStringLiteral("report"));
    QString chosen;
    network.SetFileChooser([&](QWidget*, const QString&, const QString&, bool) { return chosen; });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);  // nothing planned yet: the result line says so
    EXPECT_TRUE(network.Summary().contains(QStringLiteral("no plan to compare"))) << network.Summary().toStdString();
    const std::pair<Qt::Key, QString> saves[] = {{Qt::Key_S, plan}, {Qt::Key_E, report}};
    for (const auto& [key, file] : saves) {
        chosen = file;
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
    }
    EXPECT_TRUE(QFileInfo::exists(plan));
    EXPECT_TRUE(QFileInfo::exists(report + QStringLiteral(".pdf")));
    EXPECT_EQ(network.Summary(), QStringLiteral("Report written: report.pdf and report.html"));
    EXPECT_FALSE(network.HasUnsavedWork());
}

TEST_F(Keyboard, RetryShowCompareAfterAFreshReadEditInMegahertzAndWrite) {
    Start();
    netview::NetworkPage& network = main->m_pageNetwork;
    network.SetReplyTimeout(150);
    sim->Settings().silentIds = {"R10092"};
    ASSERT_NO_FATAL_FAILURE(ConnectByKeys());
    ASSERT_NO_FATAL_FAILURE(ToNetworkTab());
    ASSERT_TRUE(PressAndWait(QStringLiteral("Read all")));
    EXPECT_TRUE(network.Summary().endsWith(QStringLiteral(", 1 without answer."))) << network.Summary().toStdString();

    // Show takes the focus to the module without answer; Retry reads it alone, and now it answers.
    ASSERT_TRUE(TabTo(Button(QStringLiteral("Show"))));
    PressKey(Qt::Key_Space);
    auto* tree = network.findChild<QTreeWidget*>();
    ASSERT_EQ(QApplication::focusWidget(), tree);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(3), QStringLiteral("no answer"));
    sim->Settings().silentIds.clear();
    ASSERT_TRUE(PressAndWait(QStringLiteral("Retry")));
    EXPECT_EQ(network.Summary(), QStringLiteral("Read: 1 answered, 0 without answer."));

    // A plan that differs in one frequency; Compare names the read and offers a fresh one first.
    const std::string path = "repeater 1 / SX1276 1 / frequency";
    network::Site plan = network.Live();
    plan.repeaters[0].radios[2].frequency.text = "915000000";
    const QString planFile = documents.filePath(QStringLiteral("plan.xml"));
    std::string error;
    ASSERT_TRUE(network::SaveNetworkFile(plan, planFile.toStdString(), &error)) << error;
    network.SetFileChooser([&](QWidget*, const QString&, const QString&, bool) { return planFile; });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_TRUE(network.Summary().startsWith(QStringLiteral("Compared with the values read until ")));
    const int repliesBefore = sim->RepliesSent();
    ASSERT_TRUE(PressAndWait(QStringLiteral("Read again, then compare")));
    EXPECT_GT(sim->RepliesSent(), repliesBefore);
    EXPECT_TRUE(network.Summary().contains(QStringLiteral(": 1 of "))) << network.Summary().toStdString();

    // The filter by arrows: only the difference stays in view, then all again.
    QComboBox* filter = nullptr;
    for (auto* box : network.findChildren<QComboBox*>()) {
        if (box->accessibleName() == QStringLiteral("Show in the tree")) filter = box;
    }
    ASSERT_TRUE(filter && TabTo(filter));
    PressKey(Qt::Key_Down);
    EXPECT_TRUE(network.ItemAt("gateway / NET KEY 0")->isHidden());
    EXPECT_FALSE(network.ItemAt(path)->isHidden());
    PressKey(Qt::Key_Up);
    EXPECT_FALSE(network.ItemAt("gateway / NET KEY 0")->isHidden());

    // F8 to the difference, F2 to edit it: Hz in the editor, MHz typed; then Write and its one question.
    ASSERT_TRUE(TabTo(tree));
    PressKey(Qt::Key_F8);
    ASSERT_EQ(tree->currentItem(), network.ItemAt(path));
    PressKey(Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text().toStdString(), network.Live().repeaters[0].radios[2].frequency.text);
    TypeIntoFocus(QStringLiteral("868.3"));
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return network.StateAt(path) == netview::ShownState::Edited; }, 2000));
    EXPECT_EQ(network.ItemAt(path)->text(2), QStringLiteral("868.300 MHz"));
    const std::size_t asked = prompts.shown.size();
    ASSERT_TRUE(PressAndWait(QStringLiteral("Write differences…")));
    ASSERT_EQ(prompts.shown.size(), asked + 1) << "one question for the write, nothing after it";
    EXPECT_TRUE(prompts.shown.back().prompt.text.contains(QStringLiteral("repeater 1 / SX1276 1: frequency")));
    EXPECT_EQ(network.StateAt(path), netview::ShownState::Confirmed);
    EXPECT_EQ(sim->State().repeaterRadios["R10091"].frequency, "868300000");
}
