#include "flow/TechnicianFlow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/ComboClicks.h"
#include "flow/GridClicks.h"
#include "flow/Keyboard.h"
#include "flow/ListClicks.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/TabCtrl.h"
#include "res/TemplateBuilder.h"

namespace flow {
namespace {

constexpr int kRfConfigurationTab = 0;
constexpr int kIdSettingTab = 1;

void ClickButton(QWidget* page, int id) { QTest::mouseClick(res::Control<QPushButton>(page, id), Qt::LeftButton); }

void ClickTab(CVeskoraRFConfigurationDlg& main, int index) {
    QTabBar* bar = main.m_tabMain->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Double-clicks a cell, types over what its editor holds and presses Enter.
void EditCell(res::ListCtrl* list, int row, int column, const QString& text) {
    DoubleClickCell(list, row, column);
    TypeIntoFocus(text);
    PressKey(Qt::Key_Return);
}

// Replaces a line edit's text by typing, as a user selecting it all does.
void TypeOver(QLineEdit* edit, const QString& text) {
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    TypeIntoFocus(text);
}

// Checks a gateway radio's row (GET and SET come on) and clicks it (its
// frequency row appears).
void SelectGatewayRadio(RFConfigDlg& page, int row) {
    ClickCheckBox(page.m_listGatewayModules, row);
    ClickCell(page.m_listGatewayModules, row, 1);
}

}  // namespace

TechnicianFlow::TechnicianFlow(CVeskoraRFConfigurationDlg& main, const QString& gatewayAddress, quint16 gatewayPort)
    : m_main(main), m_address(gatewayAddress), m_port(gatewayPort) {
    // Replies are counted as the page reports them, not read back from its log.
    m_counting = QObject::connect(&m_main.m_dlgRfConfig, &RFConfigDlg::ReplyDecoded, &m_main.m_dlgRfConfig,
                                  [this](const devlink::Reply&) { ++m_replies; });
}

TechnicianFlow::~TechnicianFlow() { QObject::disconnect(m_counting); }

int TechnicianFlow::Responses() const { return m_replies; }

bool TechnicianFlow::WaitForResponses(int total, int ms) const {
    return QTest::qWaitFor([&] { return m_replies >= total; }, ms);
}

bool TechnicianFlow::ClickAndWaitForReply(int buttonId) {
    const int before = Responses();
    ClickButton(&m_main.m_dlgRfConfig, buttonId);
    return WaitForResponses(before + 1);
}

bool TechnicianFlow::EnterIds() {
    ClickTab(m_main, kIdSettingTab);
    IDSettingDlg& page = m_main.m_dlgIdSetting;
    res::PropertyGrid* grid = page.m_propGrid;
    return TypeValue(grid, page.m_pPropGwSx1280A, QString::fromLatin1(kGatewayA)) &&
           TypeValue(grid, page.m_pPropGwSx1280B, QString::fromLatin1(kGatewayB)) &&
           ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #1")) &&
           TypeValue(grid, page.m_pPropRepSx1280A, QString::fromLatin1(kRepeaterSx1280A)) &&
           TypeValue(grid, page.m_pPropRepSx1280B, QString::fromLatin1(kRepeaterSx1280B)) &&
           TypeValue(grid, page.m_pPropRepSx1276_1, QString::fromLatin1(kRepeaterSx1276_1)) &&
           ChooseOption(grid, page.m_pPropRepSx1276_2, QStringLiteral("######")) &&
           TypeValue(grid, page.m_pPropRepSx1276_3, QString::fromLatin1(kRepeaterSx1276_3));
}

bool TechnicianFlow::SaveIds() {
    ClickButton(&m_main.m_dlgIdSetting, 1006);
    return true;
}

bool TechnicianFlow::LoadIdsOnRfPage() {
    ClickTab(m_main, kRfConfigurationTab);
    ClickButton(&m_main.m_dlgRfConfig, 1029);
    return m_main.m_dlgRfConfig.m_listGatewayModules->GetItemText(1, 1) == QString::fromLatin1(kGatewayA);
}

bool TechnicianFlow::Connect() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    TypeOver(page.m_ipAddress->findChild<QLineEdit*>(), m_address);
    TypeOver(page.m_editPort, QString::number(m_port));
    // Only ever this machine, and only the address typed: the preset is a real LAN's.
    if (!QHostAddress(m_address).isLoopback()) return false;
    if (page.m_ipAddress->Text() != m_address || page.m_editPort->text() != QString::number(m_port)) return false;
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    return page.m_bConnected;
}

bool TechnicianFlow::StopService() { return ClickAndWaitForReply(1043); }

bool TechnicianFlow::QueryGatewayRadios() {
    const int before = Responses();
    ClickButton(&m_main.m_dlgRfConfig, 1029);
    return WaitForResponses(before + 2, 4000);
}

bool TechnicianFlow::GetAndSetNetKeys() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    ClickCheckBox(page.m_listGatewayModules, 0);
    if (!ClickAndWaitForReply(1034)) return false;
    EditCell(page.m_listNetKeys, 4, 1, QStringLiteral("abcd"));
    return ClickAndWaitForReply(1035);
}

bool TechnicianFlow::SetGatewayAFrequency() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    SelectGatewayRadio(page, 1);
    if (!ClickAndWaitForReply(1014)) return false;
    EditCell(page.m_listGatewayFreq, 0, 1, QStringLiteral("2480000000"));
    return ClickAndWaitForReply(1015);
}

bool TechnicianFlow::SetGatewayBFrequency() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    SelectGatewayRadio(page, 2);
    EditCell(page.m_listGatewayFreq, 0, 1, QStringLiteral("2480000000"));
    ClickButton(&page, 1015);  // refused: SX1280 A has that frequency
    EditCell(page.m_listGatewayFreq, 0, 1, QStringLiteral("2450000000"));
    return ClickAndWaitForReply(1015);
}

bool TechnicianFlow::SetRepeaterModule() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    // Repeater #1 from the combo's list.
    res::ComboBox* combo = page.m_comboRepeater;
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 8, combo->height() / 2));
    if (!QTest::qWaitFor([&] { return combo->view()->isVisible(); }, 2000)) return false;
    // A list opened by a press ignores a release that follows at once (press,
    // drag, release); a person's second click comes later.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    if (!PickFromOpenList(combo, combo->findText(QStringLiteral("Repeater #1")))) return false;
    Reactivate(m_main.window());

    res::ListCtrl* modules = page.m_listRepeaterModules;
    ClickCell(modules, 3, 0);
    if (!ClickAndWaitForReply(1036)) return false;
    EditCell(modules, 3, 2, QStringLiteral("915000000"));
    EditCell(modules, 3, 3, QStringLiteral("0a0b"));
    EditCell(modules, 3, 4, QStringLiteral("9"));
    return ClickAndWaitForReply(1031) && ClickAndWaitForReply(1036);
}

bool TechnicianFlow::SetNodeTable() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    EditCell(page.m_listNodes, 1, 1, QStringLiteral("n00001"));
    ClickCell(page.m_listRepeaterModules, 0, 0);
    return ClickAndWaitForReply(1031);
}

bool TechnicianFlow::SetNodeAttributes() {
    RFConfigDlg& page = m_main.m_dlgRfConfig;
    ClickCell(page.m_listNodes, 1, 0);
    if (!ClickAndWaitForReply(1037)) return false;
    EditCell(page.m_listNodeAttr, 0, 5, QStringLiteral("120"));
    return ClickAndWaitForReply(1024) && ClickAndWaitForReply(1037);
}

bool TechnicianFlow::RestartService() { return ClickAndWaitForReply(1043); }

bool TechnicianFlow::Disconnect() {
    QTest::mouseClick(m_main.m_dlgRfConfig.m_btnConnect, Qt::LeftButton);
    return !m_main.m_dlgRfConfig.m_bConnected;
}

std::vector<TechnicianFlow::Step> TechnicianFlow::Steps() {
    const auto step = [this](const char* name, bool (TechnicianFlow::*run)()) {
        return Step{name, [this, run] { return (this->*run)(); }};
    };
    return {
        step("enter-ids", &TechnicianFlow::EnterIds),
        step("save-ids", &TechnicianFlow::SaveIds),
        step("load-ids", &TechnicianFlow::LoadIdsOnRfPage),
        step("connect", &TechnicianFlow::Connect),
        step("stop-service", &TechnicianFlow::StopService),
        step("query-gateway-radios", &TechnicianFlow::QueryGatewayRadios),
        step("net-keys", &TechnicianFlow::GetAndSetNetKeys),
        step("gateway-a-frequency", &TechnicianFlow::SetGatewayAFrequency),
        step("gateway-b-frequency", &TechnicianFlow::SetGatewayBFrequency),
        step("repeater-module", &TechnicianFlow::SetRepeaterModule),
        step("node-table", &TechnicianFlow::SetNodeTable),
        step("node-attributes", &TechnicianFlow::SetNodeAttributes),
        step("restart-service", &TechnicianFlow::RestartService),
        step("disconnect", &TechnicianFlow::Disconnect),
    };
}

}  // namespace flow
