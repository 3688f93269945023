#include "rfconfig/RFConfigDlg.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ids/DocumentsFolder.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"
#include "res/UserPrompts.h"
#include "rfconfig/RfLists.h"

RFConfigDlg::RFConfigDlg(QWidget* parent) : RFConfigDlg(std::make_unique<devlink::GatewayLink>(), nullptr, parent) {}

RFConfigDlg::RFConfigDlg(devlink::GatewayLink& link, QWidget* parent) : RFConfigDlg(nullptr, &link, parent) {}

RFConfigDlg::RFConfigDlg(std::unique_ptr<devlink::GatewayLink> own, devlink::GatewayLink* shared, QWidget* parent)
    : res::PageBase(parent), m_ownLink(std::move(own)), m_link(shared ? *shared : *m_ownLink) {
    for (QTimer* t : {&m_timer1000, &m_timer2000}) t->setInterval(500);
    connect(&m_timer1000, &QTimer::timeout, this, [this] { OnTimer(1000); });
    connect(&m_timer2000, &QTimer::timeout, this, [this] { OnTimer(2000); });
    m_logTailTurn.setSingleShot(true);
    m_logTailTurn.setInterval(0);
    connect(&m_logTailTurn, &QTimer::timeout, this, &RFConfigDlg::ShowLogTail);
    // The page hears the link before any other view: its log shows a command
    // or reply before anything that follows from it.
    connect(&m_link, &devlink::GatewayLink::CommandSent, this, &RFConfigDlg::OnCommandSent);
    connect(&m_link, &devlink::GatewayLink::FrameDecoded, this, &RFConfigDlg::OnFrameDecoded);
    connect(&m_link, &devlink::GatewayLink::StateChanged, this, &RFConfigDlg::LinkStateChanged);
    connect(&m_link, &devlink::GatewayLink::ReadFailed, this,
            [] { res::AppMessageBox(QStringLiteral("Could not Recieve")); });
}

RFConfigDlg::~RFConfigDlg() {
    // The window's link outlives the page: it stops telling a page that is going.
    disconnect(&m_link, nullptr, this, nullptr);
    if (m_ownLink) CloseLink();
}

void RFConfigDlg::Create(QWidget* parent) {
    setParent(parent);
    res::BuildDialog(res::Template(res::kTemplateRfConfig), this);
    BindControls();
    OnInitDialog();
}

void RFConfigDlg::BindControls() {
    using res::Control;
    m_ipAddress = Control<res::IpAddressCtrl>(this, 1003);
    m_btnConnect = Control<QPushButton>(this, 1022);
    m_editPort = Control<QLineEdit>(this, 1020);
    m_listGatewayModules = Control<res::ListCtrl>(this, 1011);
    m_listNetKeys = Control<res::ListCtrl>(this, 1012);
    m_listGatewayFreq = Control<res::ListCtrl>(this, 1013);
    m_listRepeaterModules = Control<res::ListCtrl>(this, 1017);
    m_listNodeAttr = Control<res::ListCtrl>(this, 1023);
    m_listNodes = Control<res::ListCtrl>(this, 1016);
    m_comboRepeater = Control<res::ComboBox>(this, 1018);
    m_editLog = Control<QPlainTextEdit>(this, 1028);
    m_btnServiceStop = Control<QPushButton>(this, 1043);
    m_btnServiceChange = Control<QPushButton>(this, 1045);

    connect(m_btnConnect, &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedConnect);
    connect(m_btnServiceStop, &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedServiceStop);
    connect(Control<QPushButton>(this, 1034), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedGetNetKey);
    connect(Control<QPushButton>(this, 1035), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedSetNetKey);
    connect(Control<QPushButton>(this, 1014), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedGetGateway);
    connect(Control<QPushButton>(this, 1015), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedSetGateway);
    connect(m_btnServiceChange, &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedServiceChange);
    connect(Control<QPushButton>(this, 1029), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedIdLoad);
    connect(Control<QPushButton>(this, 1036), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedGetRepeater);
    connect(Control<QPushButton>(this, 1031), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedSetRepeater);
    connect(Control<QPushButton>(this, 1037), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedGetNode);
    connect(Control<QPushButton>(this, 1024), &QPushButton::clicked, this, &RFConfigDlg::OnBnClickedSetNode);
    // Only the user's choice refills the list; setting the selection in code does not.
    connect(m_comboRepeater, &QComboBox::activated, this, &RFConfigDlg::OnCbnSelchangeRepeater);

    using L = res::ListCtrl;
    connect(m_listNetKeys, &L::DoubleClicked, this, &RFConfigDlg::OnNMDblclkNetKeys);
    connect(m_listGatewayFreq, &L::DoubleClicked, this, &RFConfigDlg::OnNMDblclkGatewayFreq);
    connect(m_listRepeaterModules, &L::DoubleClicked, this, &RFConfigDlg::OnNMDblclkRepeaterModules);
    connect(m_listNodeAttr, &L::DoubleClicked, this, &RFConfigDlg::OnNMDblclkNodeAttr);
    connect(m_listNodes, &L::DoubleClicked, this, &RFConfigDlg::OnNMDblclkNodes);
    connect(m_listGatewayModules, &L::Clicked, this, &RFConfigDlg::OnNMClickGatewayModules);
    connect(m_listNodes, &L::Clicked, this, &RFConfigDlg::OnNMClickNodes);
    connect(m_listRepeaterModules, &L::Clicked, this, &RFConfigDlg::OnNMClickRepeaterModules);
    connect(m_listGatewayModules, &L::CheckChanged, this, &RFConfigDlg::OnLvnItemchangedGatewayModules);
    connect(m_listRepeaterModules, &L::CheckChanged, this, &RFConfigDlg::OnLvnItemchangedRepeaterModules);
    connect(m_listNodes, &L::CheckChanged, this, &RFConfigDlg::OnLvnItemchangedNodes);

    const auto editor = [this](int id, res::ListCtrl* list, int* row, int* column, int firstColumn, bool upper) {
        return CellEditor{Control<QLineEdit>(this, id), list, row, column, firstColumn, upper};
    };
    m_cellEditors = {
        editor(1038, m_listNetKeys, &m_nNetKeyEditRow, &m_nNetKeyEditCol, 1, true),
        editor(1039, m_listGatewayFreq, &m_nFreqEditRow, &m_nFreqEditCol, 1, false),
        editor(1040, m_listRepeaterModules, &m_nRepeaterEditRow, &m_nRepeaterEditCol, 2, true),
        editor(1041, m_listNodeAttr, &m_nNodeAttrEditRow, &m_nNodeAttrEditCol, 1, true),
        editor(1042, m_listNodes, &m_nNodeEditRow, &m_nNodeEditCol, 1, true),
    };
    m_editLog->setAccessibleName(QStringLiteral("Log"));
}

void RFConfigDlg::UpdateData(bool save) {
    if (save) {
        m_strPort = m_editPort->text();
    } else {
        m_editPort->setText(m_strPort);
    }
}

void RFConfigDlg::OnInitDialog() {
    m_arrGatewayIds.resize(3);
    m_arrR2Values.resize(4);
    m_arrN9Values.resize(9);

    for (int n = 1; n <= 6; ++n) m_comboRepeater->AddString(QStringLiteral("Repeater #%1").arg(n));

    res::Control<QPushButton>(this, 1014)->setEnabled(false);
    res::Control<QPushButton>(this, 1015)->setEnabled(false);

    const ids::IdFileLocation loc = ids::LocateIdFile();
    m_szDocumentsPath = loc.documentsPath;
    m_strIdFolder = loc.idFolder;
    m_strIdFileName = loc.idFileName;
    m_idFilePath = loc.idFilePath;

    m_editPort->setText(QString::fromLatin1(kPresetPort));
    m_ipAddress->SetAddress(kPresetGatewayAddress);

    for (int id = 1038; id <= 1042; ++id) {
        QWidget* editor = res::FindControl(this, id);
        editor->setGeometry(0, 0, 0, 0);
        editor->hide();
    }

    InitLists();
    // An editor opens over its list's cell: it carries the list's name.
    for (const CellEditor& e : m_cellEditors) e.editor->setAccessibleName(e.list->accessibleName());
}

void RFConfigDlg::InitLists() {
    const std::array<res::ListCtrl*, 6> lists{m_listGatewayModules,  m_listNetKeys,  m_listGatewayFreq,
                                              m_listRepeaterModules, m_listNodeAttr, m_listNodes};
    for (size_t i = 0; i < lists.size(); ++i) {
        lists[i]->SetExtendedStyle(rflists::kLists[i].extendedStyle);
        lists[i]->DeleteAllItems();
    }
    for (size_t i = 0; i < lists.size(); ++i) rflists::Populate(rflists::kLists[i], *lists[i]);
}
