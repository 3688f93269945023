// The Network tab against the simulated gateway, over the RF page's link,
// driven by clicks on the main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <map>

#include "GatewayServer.h"
#include "app/FramesWindow.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/Keyboard.h"
#include "flow/TechnicianFlow.h"
#include "ids/DocumentsFolder.h"
#include "netview/SiteChooser.h"
#include "network/NetworkFile.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TabCtrl.h"
#include "support/Files.h"
#include "support/WindowWithGateway.h"
#include "wire/CommandText.h"

using netview::ShownState;

namespace {

class NetworkTab : public WindowWithGateway {
protected:
    void Start(gatewaysim::Options options = {}) {
        options.nodesPerRepeater = 2;
        WindowWithGateway::Start(options, QSize(1700, 900));
        prompts.answer = res::kIdYes;
        ASSERT_TRUE(flow->EnterIds() && flow->SaveIds());
        QTest::mouseClick(main->m_tabMain->Bar(), Qt::LeftButton, {}, main->m_tabMain->Bar()->tabRect(2).center());
        ASSERT_EQ(main->m_pwndShow, &page());
        page().SetFileChooser([this](QWidget*, const QString&, const QString&, bool) { return chosenFile; });
    }
    netview::NetworkPage& page() { return main->m_pageNetwork; }
    // Clicks the tab's button with this text and waits for the operation it starts.
    bool Click(const char* text, bool waitForEnd = true) {
        for (auto* b : page().findChildren<QPushButton*>()) {
            if (b->text() != QString::fromUtf8(text)) continue;
            QSignalSpy finished(&page(), &netview::NetworkPage::Finished);
            QTest::mouseClick(b, Qt::LeftButton);
            return !waitForEnd || finished.count() > 0 || finished.wait(10000);
        }
        return false;
    }
    // A plan file: what the site holds, with values changed.
    void WritePlan(const std::vector<std::pair<std::string, std::string>>& changes) {
        network::Site plan = page().Live();
        network::ForEachValue(plan, [&](const std::string& path, network::Value& v) {
            for (const auto& [p, text] : changes) {
                if (p == path) v = {text, network::Origin::Planned, 0};
            }
        });
        chosenFile = documents.filePath(QStringLiteral("plan.xml"));
        std::string error;
        ASSERT_TRUE(network::SaveNetworkFile(plan, chosenFile.toStdString(), &error)) << error;
    }

    // The text of a PDF as a reader gets it.
    static QString PdfText(const QString& file) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        return text.waitForFinished(30000) ? QString::fromUtf8(text.readAllStandardOutput()) : QString();
    }

    QString chosenFile;
};

const std::string kModuleFrequency = "repeater 1 / SX1276 1 / frequency";

}  // namespace

TEST_F(NetworkTab, ReadAllCompareWriteWithConfirmationAndReport) {
    Start();
    // The tab works over the RF page's link.
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    EXPECT_TRUE(prompts.Texts().join(QLatin1Char('\n')).contains(QStringLiteral("Stop it now?")));
    EXPECT_EQ(page().Live().repeaters[0].radios[2].frequency.text, "2402000000");
    QTreeWidgetItem* item = page().ItemAt(kModuleFrequency);
    ASSERT_NE(item, nullptr);
    // MHz to read, Hz in the tooltip and in the editor.
    EXPECT_EQ(item->text(1), QStringLiteral("2402.000 MHz"));
    EXPECT_EQ(item->toolTip(1), QStringLiteral("2402000000 Hz"));
    EXPECT_EQ(item->text(3), QStringLiteral("read"));
    ASSERT_NE(page().ItemAt("node N00101 / TX period"), nullptr);  // the nodes the table names
    // The tab's commands and the replies are the RF page's log entries; the service was started again.
    const QString log = main->m_dlgRfConfig.m_editLog->toPlainText();
    EXPECT_TRUE(log.contains(QStringLiteral("[GET][SEND] AT+GET R9 100003")));
    EXPECT_TRUE(log.contains(QStringLiteral("[SET][SEND] AT+SEND R")));
    EXPECT_FALSE(main->m_dlgRfConfig.m_bServiceStopped);

    // An edit in place, then compare and write: the item ends confirmed by its read-back.
    auto* tree = page().findChild<QTreeWidget*>();
    tree->scrollToItem(item);
    tree->setCurrentItem(item, 1);
    tree->editItem(item, 1);
    auto* editor = tree->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("2402000000"));  // edited in Hz, or typed in MHz
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("868 MHz"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits on the next turn of the event loop; Enter does not end the window.
    EXPECT_TRUE(QTest::qWaitFor([&] { return page().StateAt(kModuleFrequency) == ShownState::Edited; }, 2000));
    EXPECT_TRUE(main->isVisible());
    ASSERT_TRUE(Click("Compare", false));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Compared with the values read until \\d\\d:\\d\\d:\\d\\d: 1 of 1 "
                                                  "planned values differ\\.$"))
                    .match(page().Summary())
                    .hasMatch())
        << page().Summary().toStdString();
    ASSERT_TRUE(Click("Write differences…"));
    EXPECT_TRUE(prompts.Texts().join(QLatin1Char('\n')).contains(QStringLiteral("AT+SET R9 100003 868000000 0000 7")));
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::Confirmed);
    EXPECT_EQ(sim->State().repeaterRadios["100003"].frequency, "868000000");

    chosenFile = documents.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(Click("Export report…", false));
    ASSERT_TRUE(QFile::exists(chosenFile));
    ASSERT_TRUE(QFile::exists(documents.filePath(QStringLiteral("report.html"))));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {chosenFile, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    // The PDF's text may set "fi" as one ligature.
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput()).replace(QChar(0xFB01), QStringLiteral("fi"));
    EXPECT_TRUE(pdf.contains(QStringLiteral("868000000"))) << pdf.left(400).toStdString();
    EXPECT_TRUE(pdf.contains(QStringLiteral("written and confirmed")));
    QProcess render;
    render.start(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-f"), QStringLiteral("1"),
         QStringLiteral("-l"), QStringLiteral("1"), chosenFile, documents.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    EXPECT_EQ(render.exitCode(), 0);
}

TEST_F(NetworkTab, AReportShowsNetworkKeysOnlyWhenAskedAndFilesWithKeysAreTheUsersAlone) {
    const ScopedUmask usual(022);
    Start();
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    ASSERT_EQ(page().Live().gateway.netKeys[1].text, "K101");
    const QString pdf = documents.filePath(QStringLiteral("report.pdf"));
    const QString html = documents.filePath(QStringLiteral("report.html"));
    const auto htmlText = [&] { return QString::fromStdString(ReadFile(html.toStdString())); };
    chosenFile = pdf;
    ASSERT_TRUE(Click("Export report…", false));
    EXPECT_EQ(FileMode(pdf.toStdString()), 0600);
    EXPECT_EQ(FileMode(html.toStdString()), 0600);
    for (const QString& text : {PdfText(pdf), htmlText()}) {
        ASSERT_TRUE(text.contains(QStringLiteral("NET KEY 19"))) << text.left(300).toStdString();
        for (int k = 101; k <= 120; ++k) EXPECT_FALSE(text.contains(QStringLiteral("K%1").arg(k))) << k;
        EXPECT_TRUE(text.contains(QStringLiteral("set (4 characters)")));
    }
    EXPECT_FALSE(htmlText().contains(QStringLiteral("<td>AUT</td>")));
    EXPECT_TRUE(htmlText().contains(QStringLiteral("NET KEY AUTO</td><td>set (3 characters)</td>")));
    EXPECT_FALSE(htmlText().contains(QStringLiteral("NET key</td><td>0000</td>")));

    // Asked for, every key is there; the files replaced are still the user's alone.
    QCheckBox* include = page().findChild<QCheckBox*>();
    ASSERT_NE(include, nullptr);
    EXPECT_EQ(include->text(), QStringLiteral("Include network keys"));
    QTest::mouseClick(include, Qt::LeftButton);
    ASSERT_TRUE(include->isChecked());
    ::chmod(QFile::encodeName(pdf).constData(), 0644);
    ASSERT_TRUE(Click("Export report…", false));
    EXPECT_EQ(FileMode(pdf.toStdString()), 0600);
    EXPECT_EQ(FileMode(html.toStdString()), 0600);
    for (const QString& text : {PdfText(pdf), htmlText()}) {
        for (int k = 101; k <= 120; ++k) EXPECT_TRUE(text.contains(QStringLiteral("K%1").arg(k))) << k;
    }
    EXPECT_TRUE(htmlText().contains(QStringLiteral("NET KEY AUTO</td><td>AUT</td>")));
    EXPECT_TRUE(htmlText().contains(QStringLiteral("NET key</td><td>0000</td>")));

    chosenFile = documents.filePath(QStringLiteral("plan.xml"));
    ASSERT_TRUE(Click("Save as plan…", false));
    EXPECT_EQ(FileMode(chosenFile.toStdString()), 0600);
}

TEST_F(NetworkTab, ADroppedLinkLeavesTheRestNotWrittenAndCancelStopsBetweenItems) {
    Start();
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    // Three modules to write.
    WritePlan({{"repeater 1 / SX1280 A / busy/SF", "9"},
               {"repeater 1 / SX1280 B / busy/SF", "9"},
               {kModuleFrequency, "868000000"}});
    ASSERT_TRUE(Click("Open plan…", false));

    // Cancel while the first is on the wire: it ends, the other two are not written.
    sim->Settings().latencyMs = 30;
    const std::size_t before = sim->Received().size();
    ASSERT_TRUE(Click("Write differences…", false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->Received().find("AT+SET R2", before) != std::string::npos; }, 5000));
    QSignalSpy finished(&page(), &netview::NetworkPage::Finished);
    ASSERT_TRUE(Click("Cancel", false));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(page().StateAt("repeater 1 / SX1280 A / busy/SF"), ShownState::Confirmed);
    EXPECT_EQ(page().StateAt("repeater 1 / SX1280 B / busy/SF"), ShownState::NotWritten);
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::NotWritten);

    // The link drops after the stop and the next SET: that item and the rest are not written, and the tab says so.
    sim->Settings().latencyMs = 0;
    sim->Settings().closeAfter = sim->CommandsSinceConnect() + 2;
    ASSERT_TRUE(Click("Write differences…"));
    EXPECT_EQ(page().StateAt("repeater 1 / SX1280 B / busy/SF"), ShownState::NotWritten);
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::NotWritten);
    EXPECT_TRUE(prompts.Texts().last().contains(QStringLiteral("2 items were not written")))
        << prompts.Texts().last().toStdString();
}

TEST_F(NetworkTab, AnEchoIsNeverConfirmedAValueIsOneTokenAndFramesShowInWireOrder) {
    gatewaysim::Options echoes;
    echoes.duplicateReplies = echoes.ignoreSets = true;  // every reply twice; a SET echoed, not applied
    Start(echoes);
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    // Each reply shows right after the command it answers (its repeat after it), never after the next command.
    const FramesWindow& frames = *main->m_framesWindow;
    std::map<QString, bool> answered;
    QString lastSent;
    int answers = 0;
    for (int row = 0; row < frames.Rows(); ++row) {
        const QString id = frames.Cell(row, 3).toUpper();  // replies carry IDs upper-cased
        if (frames.Cell(row, 1).contains(QStringLiteral("sent"))) {
            answered[lastSent = id] = false;
        } else if (!id.isEmpty() && !answered[id]) {
            EXPECT_EQ(lastSent, id) << "the first answer for " << id.toStdString() << " shows after another command";
            answered[id] = true;
            ++answers;
        }
    }
    EXPECT_GE(answers, 10);

    auto* tree = page().findChild<QTreeWidget*>();
    QTreeWidgetItem* item = page().ItemAt(kModuleFrequency);
    ASSERT_NE(item, nullptr);
    // A value that is not one token is refused with the reason, and nothing is planned.
    item->setText(1, QStringLiteral("868000000\tAT+STOP"));
    EXPECT_TRUE(prompts.Texts().last().contains(QStringLiteral("holds the control character 0x09")))
        << prompts.Texts().last().toStdString();
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::Read);
    EXPECT_EQ(item->text(1), QStringLiteral("2402.000 MHz"));

    tree->scrollToItem(item);
    item->setText(1, QStringLiteral("868000000"));
    ASSERT_EQ(page().StateAt(kModuleFrequency), ShownState::Edited);
    ASSERT_TRUE(Click("Compare", false));
    ASSERT_TRUE(Click("Write differences…"));
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::WrittenDiffers);
    EXPECT_EQ(sim->State().repeaterRadios["100003"].frequency, "2402000000");
}

TEST_F(NetworkTab, AValueNeverOutlivesItsLinkAndADropMidReadSaysWhere) {
    Start();
    // The window's one clock: the link's loss, the values and the compare all tell its time.
    main->SetClock([t = std::make_shared<std::int64_t>(
                        QDateTime(QDate(2026, 12, 8), QTime(9, 41)).toMSecsSinceEpoch())] { return (*t)++; });
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    ASSERT_EQ(page().StateAt(kModuleFrequency), ShownState::Read);
    const std::string busySf = "repeater 1 / SX1280 A / busy/SF";
    WritePlan({{busySf, "9"}});
    ASSERT_TRUE(Click("Open plan…", false));
    ASSERT_TRUE(Click("Compare", false));
    EXPECT_TRUE(page().Summary().startsWith(QStringLiteral("Compared with the values read until 09:41:00: ")))
        << page().Summary().toStdString();
    ASSERT_TRUE(Click("Write differences…"));
    ASSERT_EQ(page().StateAt(busySf), ShownState::Confirmed);

    // The gateway drops the link and connects back: what it said before is history.
    RFConfigDlg& rf = main->m_dlgRfConfig;
    sim->Settings().closeAfter = sim->CommandsSinceConnect() + 1;
    sim->Settings().reconnectDelayMs = 20;
    QSignalSpy linkStates(&rf, &RFConfigDlg::LinkStateChanged);
    rf.SendCommand(devlink::CMD_GET, "AT+GET GM FFFFFF\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return linkStates.count() >= 2 && rf.m_pDataSocket != nullptr; }, 3000));
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::ReadBeforeLoss);
    const QString stateText = page().ItemAt(kModuleFrequency)->text(3);
    EXPECT_EQ(stateText, QStringLiteral("read before the link was lost at 09:41"));
    bool reported = false;
    for (const netview::ReportRow& row : page().Report().rows) reported |= row.state == stateText;
    EXPECT_TRUE(reported);
    // A write confirmed on the old link is not confirmed now, in the tree or the report.
    EXPECT_EQ(page().StateAt(busySf), ShownState::ConfirmedBeforeLoss);
    const QString confirmedText = page().ItemAt(busySf)->text(3);
    EXPECT_EQ(confirmedText, QStringLiteral("confirmed before the link was lost at 09:41"));
    for (const netview::ReportRow& row : page().Report().rows) {
        if (row.path == QString::fromStdString(busySf)) {
            EXPECT_EQ(row.state, confirmedText);
        }
    }
    // The gateway came back reset: reading it again shows what it holds, never the old write as confirmed.
    sim->Settings().closeAfter = 0;
    sim->State().repeaterRadios["100001"].busySf = "7";
    ASSERT_TRUE(Click("Read all"));
    EXPECT_EQ(page().Live().repeaters[0].radios[0].busySf.text, "7");
    EXPECT_NE(page().StateAt(busySf), ShownState::Confirmed);
    EXPECT_NE(page().StateAt(busySf), ShownState::ConfirmedBeforeLoss);

    // A drop in the middle of a read stops it and says where; what was not read keeps its value, marked.
    sim->Settings().closeAfter = sim->CommandsSinceConnect() + 5;
    sim->Settings().reconnectDelayMs = -1;
    ASSERT_TRUE(Click("Read all"));
    EXPECT_TRUE(prompts.Texts().join(QLatin1Char('\n')).contains(QStringLiteral("was lost at")))
        << prompts.Texts().last().toStdString();
    EXPECT_TRUE(page().Summary().startsWith(QStringLiteral("Link lost at "))) << page().Summary().toStdString();
    EXPECT_EQ(page().Live().repeaters[0].radios[2].frequency.text, "2402000000");
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::ReadBeforeLoss);
}

TEST_F(NetworkTab, BothTabsShowEveryReplyOfTheOneLinkEachInItsOwnPlace) {
    Start();
    ASSERT_TRUE(flow->Connect());
    RFConfigDlg& rf = main->m_dlgRfConfig;
    // The RF page's own GET, SET and GET of SX1276 1 reach the tree, before any Read all:
    // read, at the value the page shows (the IDs came with "ID 불러오기").
    ASSERT_TRUE(flow->LoadIdsOnRfPage() && flow->StopService() && flow->SetRepeaterModule());
    EXPECT_EQ(rf.m_listRepeaterModules->GetItemText(3, 2), QStringLiteral("915000000"));
    // The page's query of the gateway radios may interleave: the last answer can come a moment later.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return page().Live().repeaters[0].radios[2].frequency.text == "915000000" &&
                   page().ItemAt(kModuleFrequency) &&
                   page().ItemAt(kModuleFrequency)->text(1) == QStringLiteral("915.000 MHz");
        },
        2000));
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::Read);

    rf.m_listRepeaterModules->SetItemText(0, 1, QStringLiteral("100000"));
    rf.m_listRepeaterModules->SetItemText(1, 1, QStringLiteral("100001"));
    rf.m_nSelRepeaterRow = 1;
    ASSERT_TRUE(Click("Read all"));
    // Row 1 shows SX1280 A's own reply; the tab's other replies are stored, not shown against it.
    EXPECT_EQ(rf.m_listRepeaterModules->GetItemText(1, 2),
              QString::fromStdString(sim->State().repeaterRadios["100001"].frequency));
    EXPECT_EQ(rf.m_arrR9Values.size(), 4u);
    rf.m_nSelRepeaterRow = 0;
    ASSERT_TRUE(Click("Read all"));
    EXPECT_EQ(rf.m_listRepeaterModules->GetItemText(0, 2), QString());
    // The frequency row shows the gateway radio chosen on the page, whichever the tab read last.
    for (const char* a : {"a00001", "A00001"}) sim->State().gatewayFrequency[a] = "2410000000";
    for (const char* b : {"b00002", "B00002"}) sim->State().gatewayFrequency[b] = "2470000000";
    rf.OnNMClickGatewayModules(1);
    ASSERT_TRUE(Click("Read all"));
    EXPECT_EQ(rf.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2410000000"));
    // A row that shows no module shows none of the tab's replies either.
    rf.m_listRepeaterModules->SetItemText(2, 1, QString());
    rf.m_nSelRepeaterRow = 2;
    ASSERT_TRUE(Click("Read all"));
    EXPECT_EQ(rf.m_listRepeaterModules->GetItemText(2, 2), QString());
}

TEST_F(NetworkTab, ASiteChosenByNameOpensItsPlanAndHandsOnItsGatewayAndIdFile) {
    Start();
    const std::string folder = ids::LocateIdFile().idFolder;
    std::ofstream(folder + "plan.xml", std::ios::binary)
        << "<VeskoraNetwork format=\"1\">\r\n<Value path=\"" << kModuleFrequency
        << "\">868000000</Value>\r\n</VeskoraNetwork>\r\n";
    std::ofstream(folder + "sites.conf", std::ios::binary)
        << "[north]\ngateway = 127.0.0.1:5601\nids = north.xml\n\n[harbour]\ngateway = 127.0.0.2\nids = "
           "/srv/h.xml\nplan = plan.xml\n";
    auto* chooser = page().findChild<netview::SiteChooser*>();
    ASSERT_NE(chooser, nullptr);
    chooser->Reload();
    ASSERT_EQ(chooser->Box()->count(), 3);  // none, north, harbour
    QSignalSpy chosen(&page(), &netview::NetworkPage::SiteChosen);
    chooser->Box()->setFocus();
    QTest::keyClick(chooser->Box(), Qt::Key_Down);
    QTest::keyClick(chooser->Box(), Qt::Key_Down);
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosen[0][3].toString().toStdString(), folder + "north.xml");
    EXPECT_EQ(chosen[1][1].toString(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(chosen[1][2].value<quint16>(), 5555);
    EXPECT_EQ(page().Plan().repeaters[0].radios[2].frequency.text, "868000000");
    // The RF page's fields and ID file follow the site while no link stands.
    RFConfigDlg& rf = main->m_dlgRfConfig;
    EXPECT_EQ(rf.m_ipAddress->Text(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(rf.m_editPort->text(), QStringLiteral("5555"));
    EXPECT_EQ(rf.m_idFilePath, "/srv/h.xml");
}

TEST_F(NetworkTab, AWriteAsksOneQuestionThatNamesEachChangeAndTheServiceStopAndRestart) {
    Start();
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    ASSERT_FALSE(main->m_dlgRfConfig.m_bServiceStopped);
    WritePlan({{kModuleFrequency, "868300000"}});
    ASSERT_TRUE(Click("Open plan…", false));
    const std::size_t before = prompts.shown.size();
    ASSERT_TRUE(Click("Write differences…"));
    ASSERT_EQ(prompts.shown.size(), before + 1) << prompts.Texts().join(QLatin1Char('\n')).toStdString();
    const QString asked = prompts.shown.back().prompt.text;
    EXPECT_TRUE(asked.contains(QStringLiteral("repeater 1 / SX1276 1: frequency 2402000000 → 868300000\n")))
        << asked.toStdString();
    // Only what changes is listed; the lines and the service's stop and restart are said once.
    EXPECT_FALSE(asked.contains(QStringLiteral("NET key"))) << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("stopped first. Start it again at the end?")));
    EXPECT_EQ(prompts.shown.back().prompt.buttons, res::PromptButtons::YesNoCancel);
    EXPECT_GT(asked.indexOf(QStringLiteral("AT+SET R9 100003 868300000")), asked.indexOf(QStringLiteral("Details")));
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::Confirmed);
    EXPECT_FALSE(main->m_dlgRfConfig.m_bServiceStopped);
    // The value before the write stays at hand: in the tree and in the report.
    EXPECT_EQ(page().ItemAt(kModuleFrequency)->toolTip(1),
              QStringLiteral("868300000 Hz\nBefore the write: 2402.000 MHz"));
    const netview::ReportData report = page().Report();
    ASSERT_EQ(report.changes.size(), 1U);
    EXPECT_EQ(report.changes[0].value + QStringLiteral(" → ") + report.changes[0].plan,
              QStringLiteral("2402000000 → 868300000"));
    EXPECT_EQ(report.changes[0].state, QStringLiteral("written and confirmed"));

    // No: written, the service left stopped and nothing more asked; Enter gives that choice next time.
    WritePlan({{kModuleFrequency, "868500000"}});
    ASSERT_TRUE(Click("Open plan…", false));
    EXPECT_EQ(prompts.shown.size(), before + 1);
    prompts.answer = res::kIdNo;
    ASSERT_TRUE(Click("Write differences…"));
    EXPECT_EQ(prompts.shown.size(), before + 2) << prompts.Texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(prompts.shown.back().prompt.defaultAnswer, res::kIdYes);
    EXPECT_EQ(page().StateAt(kModuleFrequency), ShownState::Confirmed);
    EXPECT_TRUE(main->m_dlgRfConfig.m_bServiceStopped);
    main->RestartService();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->m_dlgRfConfig.m_bServiceStopped; }, 2000));
    WritePlan({{kModuleFrequency, "868700000"}});
    ASSERT_TRUE(Click("Open plan…", false));
    prompts.answer = res::kIdCancel;  // and Cancel writes nothing
    ASSERT_TRUE(Click("Write differences…", false));
    EXPECT_EQ(prompts.shown.back().prompt.defaultAnswer, res::kIdNo);
    EXPECT_EQ(sim->State().repeaterRadios["100003"].frequency, "868500000");
}

TEST_F(NetworkTab, F8WalksTheDifferencesAndTheFilterLeavesOnlyThemInView) {
    Start();
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(Click("Read all"));
    const std::string busySf = "repeater 1 / SX1280 A / busy/SF";
    WritePlan({{busySf, "9"}, {kModuleFrequency, "868000000"}});
    ASSERT_TRUE(Click("Open plan…", false));
    ASSERT_TRUE(Click("Compare", false));
    auto* tree = page().findChild<QTreeWidget*>();
    tree->setFocus();
    tree->setCurrentItem(page().ItemAt("gateway"));
    // Forward in the tree's order, round again; Shift+F8 goes back.
    for (const auto& [modifiers, expected] :
         std::vector<std::pair<Qt::KeyboardModifiers, std::string>>{{Qt::NoModifier, busySf},
                                                                    {Qt::NoModifier, kModuleFrequency},
                                                                    {Qt::NoModifier, busySf},
                                                                    {Qt::ShiftModifier, kModuleFrequency}}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8, modifiers);
        EXPECT_EQ(tree->currentItem(), page().ItemAt(expected)) << expected;
    }

    // A branch counts what below it needs a look.
    EXPECT_EQ(page().ItemAt("repeater 1")->text(3), QStringLiteral("2 differs from plan"));
    EXPECT_EQ(page().ItemAt("repeater 2")->text(3), QString());

    auto* filter = page().findChild<QComboBox*>();
    ASSERT_NE(filter, nullptr);
    filter->setCurrentIndex(1);  // only differences
    EXPECT_FALSE(page().ItemAt(kModuleFrequency)->isHidden());
    EXPECT_FALSE(page().ItemAt("repeater 1")->isHidden());
    EXPECT_TRUE(page().ItemAt("repeater 1 / SX1280 B / busy/SF")->isHidden());
    EXPECT_TRUE(page().ItemAt("repeater 2")->isHidden());
    filter->setCurrentIndex(2);  // only problems: none after a full read
    EXPECT_TRUE(page().ItemAt(kModuleFrequency)->isHidden());
    filter->setCurrentIndex(0);
    EXPECT_FALSE(page().ItemAt("repeater 2")->isHidden());
}

TEST_F(NetworkTab, AReportAsksOnceWhoCommissionsTheSiteAndThePlanKeepsTheAnswers) {
    Start();
    WritePlan({});
    const QString bare = chosenFile;
    page().OpenPlanFile(bare);
    const QString html = documents.filePath(QStringLiteral("report.html"));
    chosenFile = documents.filePath(QStringLiteral("report.pdf"));
    // Answers the file could not keep are refused with the reason, and no report is written.
    prompts.fill = [](std::vector<res::PromptField>& fields) { fields[1].text = QStringLiteral("J.\x01Park"); };
    ASSERT_TRUE(Click("Export report…", false));
    EXPECT_TRUE(prompts.Texts().last().contains(QStringLiteral("the technician holds the control character 0x01")))
        << prompts.Texts().last().toStdString();
    EXPECT_FALSE(QFile::exists(chosenFile));

    prompts.fill = [](std::vector<res::PromptField>& fields) {
        fields[1].text = QStringLiteral(" J. \"Jay\" Park ");
        fields[2].text = QStringLiteral("Mast 4\r\n<north> & dry");
    };
    ASSERT_TRUE(Click("Export report…", false));
    ASSERT_EQ(prompts.forms.size(), 2U);
    EXPECT_EQ(prompts.forms[1][0].text, QStringLiteral("plan"));  // the open plan's name
    const QString report = QString::fromStdString(ReadFile(html.toStdString()));
    EXPECT_TRUE(report.contains(QStringLiteral("Site: plan<br>Technician: J. &quot;Jay&quot; Park<br>")))
        << report.left(600).toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Mast 4<br>&lt;north&gt; &amp; dry")));
    ASSERT_TRUE(Click("Export report…", false));
    EXPECT_EQ(prompts.forms.size(), 2U);  // asked once

    // The plan saved keeps the answers; a plan without them asks again, the saved one does not.
    chosenFile = documents.filePath(QStringLiteral("commissioned.xml"));
    ASSERT_TRUE(Click("Save as plan…", false));
    EXPECT_NE(ReadFile(chosenFile.toStdString())
                  .find("<About site=\"plan\" technician=\"J. &quot;Jay&quot; Park\">Mast 4\n&lt;north&gt; &amp; "
                        "dry</About>"),
              std::string::npos);
    page().OpenPlanFile(bare);
    EXPECT_TRUE(page().Report().technician.isEmpty());
    page().OpenPlanFile(chosenFile);
    EXPECT_EQ(page().Report().technician, QStringLiteral("J. \"Jay\" Park"));
    chosenFile = documents.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(Click("Export report…", false));
    EXPECT_EQ(prompts.forms.size(), 2U);
    EXPECT_TRUE(QFile::exists(chosenFile));
}
