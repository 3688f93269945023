#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>

#include "res/ListCtrl.h"
#include "res/PropertyGrid.h"
#include "res/TemplateBuilder.h"
#include "support/Files.h"
#include "support/WindowWithGateway.h"

namespace {

class EndToEnd : public WindowWithGateway {
protected:
    void SetUp() override { Start({}, QSize(1700, 900)); }

    // What the tool sent since the last call.
    std::string Sent() {
        std::string fresh = sim->Received().substr(seen);
        seen = sim->Received().size();
        return fresh;
    }
    QString Log() const { return main->m_dlgRfConfig.m_editLog->toPlainText(); }
    QString Cell(res::ListCtrl* list, int row, int column) const { return list->GetItemText(row, column); }
    QString LastPrompt() const { return prompts.shown.empty() ? QString() : prompts.shown.back().prompt.text; }

    std::size_t seen = 0;
};

}  // namespace

TEST_F(EndToEnd, ATechniciansSessionFromIdsToDisconnect) {
    RFConfigDlg& rf = main->m_dlgRfConfig;

    ASSERT_TRUE(flow->EnterIds());
    EXPECT_EQ(main->m_dlgIdSetting.m_repeaterRecords[0],
              (std::vector<std::string>{"100001", "100001", "100002", "100003", "######", "100005"}));
    ASSERT_TRUE(flow->SaveIds());
    const std::string file = ReadFile(documents.filePath(QStringLiteral("Brenholt/Veskora/ids.xml")).toStdString());
    EXPECT_EQ(file,
              "<LORAID>\r\n<Gatewy>\r\n<GM>FFFFFF</GM>\r\n<G2A>a00001</G2A>\r\n<G2B>b00002</G2B>\r\n</Gatewy>\r\n"
              "<Repeater>\r\n<R1>\r\n<RM>100001</RM>\r\n<R2A>100001</R2A>\r\n<R2B>100002</R2B>\r\n<R91>100003</R91>\r\n"
              "<R92>######</R92>\r\n<R93>100005</R93>\r\n</R1>\r\n</Repeater>\r\n</LORAID>\r\n");
    EXPECT_EQ(LastPrompt(), QString::fromStdString(file));

    ASSERT_TRUE(flow->LoadIdsOnRfPage());
    EXPECT_EQ(Cell(rf.m_listGatewayModules, 0, 1), QStringLiteral("FFFFFF"));
    EXPECT_EQ(Cell(rf.m_listGatewayModules, 2, 1), QStringLiteral("b00002"));
    EXPECT_FALSE(rf.m_timer1000.isActive());

    ASSERT_TRUE(flow->Connect());
    EXPECT_EQ(LastPrompt(), QStringLiteral("Server Connetion Success!"));
    ASSERT_TRUE(flow->StopService());
    EXPECT_EQ(Sent(), "AT+STOP\r\n");
    EXPECT_TRUE(sim->State().serviceStopped);
    EXPECT_TRUE(Log().endsWith(QStringLiteral("[SET][SEND] AT+STOP\n[Response] $STOP OK\n")));

    ASSERT_TRUE(flow->QueryGatewayRadios());
    EXPECT_EQ(Sent(), "AT+GET G2 a00001\r\nAT+GET G2 b00002\r\n");
    EXPECT_EQ(rf.m_mapFreqOwner.at("2402000000"), "B00002");  // the last answer owns it

    ASSERT_TRUE(flow->GetAndSetNetKeys());
    std::string keys = "AT+SET GM FFFFFF AUT";
    for (int k = 1; k <= 20; ++k) keys += k == 4 ? " ABCD" : " K" + std::to_string(100 + k);
    EXPECT_EQ(Sent(), "AT+GET GM FFFFFF\r\n" + keys + "\r\n");
    EXPECT_EQ(sim->State().netKeys[4], "ABCD");
    EXPECT_EQ(Cell(rf.m_listNetKeys, 4, 1), QStringLiteral("ABCD"));

    ASSERT_TRUE(flow->SetGatewayAFrequency());
    EXPECT_EQ(Sent(), "AT+GET G2 a00001\r\nAT+SET G2 a00001 2480000000\r\n");
    EXPECT_EQ(sim->State().gatewayFrequency["a00001"], "2480000000");
    ASSERT_TRUE(flow->SetGatewayBFrequency());
    EXPECT_EQ(
        prompts.shown[prompts.shown.size() - 1].prompt.text,
        QStringLiteral("이미 해당 주파수는 ID A00001 모듈에서 사용중입니다.\r\n 다른 주파수를 사용하시기 바랍니다."));
    EXPECT_EQ(Sent(), "AT+SET G2 b00002 2450000000\r\n");
    EXPECT_EQ(sim->State().gatewayFrequency["b00002"], "2450000000");
    EXPECT_EQ(Cell(rf.m_listGatewayFreq, 0, 1), QStringLiteral("2450000000"));

    ASSERT_TRUE(flow->SetRepeaterModule());
    EXPECT_EQ(Cell(rf.m_listRepeaterModules, 5, 1), QStringLiteral("100005"));
    EXPECT_EQ(Sent(), "AT+GET R9 100003\r\nAT+SET R9 100003 915000000 0A0B 9\r\nAT+GET R9 100003\r\n");
    EXPECT_EQ(sim->State().repeaterRadios["100003"].frequency, "915000000");
    EXPECT_EQ(Cell(rf.m_listRepeaterModules, 3, 3), QStringLiteral("0A0B"));

    ASSERT_TRUE(flow->SetNodeTable());
    EXPECT_EQ(Sent(), "AT+SET RM 100001  N00001" + std::string(29, ' ') + "\r\n");
    EXPECT_EQ(sim->State().nodeTables["100001"][1], "N00001");

    ASSERT_TRUE(flow->SetNodeAttributes());
    EXPECT_EQ(Sent(), "AT+GET N9 N00001\r\nAT+SET N9 N00001 2402000000 0001 000000 7 120 0 0\r\nAT+GET N9 N00001\r\n");
    EXPECT_EQ(sim->State().nodeAttributes["N00001"][4], "120");
    EXPECT_EQ(Cell(rf.m_listNodeAttr, 0, 5), QStringLiteral("120"));

    ASSERT_TRUE(flow->RestartService());
    EXPECT_EQ(Sent(), "AT+SEND R\r\n");
    EXPECT_FALSE(sim->State().serviceStopped);
    EXPECT_EQ(rf.m_btnServiceStop->text(), QStringLiteral("서비스 종료"));

    ASSERT_TRUE(flow->Disconnect());
    EXPECT_EQ(rf.m_btnConnect->text(), QStringLiteral("Connect"));
    // Every command went out once and was answered once; the window is still there.
    EXPECT_EQ(Log().count(QStringLiteral("[SEND]")), Log().count(QStringLiteral("[Response]")));
    EXPECT_TRUE(main->isVisible());
}
