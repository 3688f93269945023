#include "ids/IDSettingDlg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "ids/DocumentsFolder.h"
#include "res/PropertyGrid.h"
#include "res/TemplateBuilder.h"
#include "res/UserPrompts.h"
#include "textcodec/qt/NarrowText.h"
#include "xml/XmlTextDoc.h"

namespace {

// Read when the grid is made, in the language chosen by then.
QString ModuleDescription() { return QCoreApplication::translate("Veskora", "ID를 입력하시고 Enter Key를 누르세요"); }
const QString kNoId = QStringLiteral("######");

}  // namespace

IDSettingDlg::IDSettingDlg(QWidget* parent) : res::PageBase(parent) {}

IDSettingDlg::~IDSettingDlg() = default;

void IDSettingDlg::Create(QWidget* parent) {
    setParent(parent);
    res::BuildDialog(res::Template(res::kTemplateIdSetting), this);
    m_propGrid = res::Control<res::PropertyGrid>(this, 1004);
    // The grid has no label on the page; its rows are the IDs.
    m_propGrid->setAccessibleName(QStringLiteral("IDs"));
    m_propGrid->Tree()->setAccessibleName(QStringLiteral("IDs"));
    connect(m_propGrid, &res::PropertyGrid::PropertyChanged, this, &IDSettingDlg::OnPropertyChanged);
    connect(res::Control<QPushButton>(this, 1005), &QPushButton::clicked, this, &IDSettingDlg::OnBnClickedLoadIds);
    connect(res::Control<QPushButton>(this, 1006), &QPushButton::clicked, this, &IDSettingDlg::OnBnClickedSaveIds);
    OnInitDialog();
}

void IDSettingDlg::OnInitDialog() {
    const ids::IdFileLocation loc = ids::LocateIdFile();
    m_szDocumentsPath = loc.documentsPath;
    m_strIdFolder = loc.idFolder;
    m_strIdFileName = loc.idFileName;
    m_idFilePath = loc.idFilePath;
    if (ids::EnsureIdFolder(m_strIdFolder, m_strIdFileName) != 0) {
        res::AppMessageBox(QStringLiteral("ID 구성 파일을 위한 경로를 만들지 못했습니다. "));
    }

    m_nSelRepeater = 0;
    m_nPrevRepeater = 0;
    m_arrGatewayRadioIds.assign(2, std::string());

    m_propGrid->SetDescriptionRows(3);
    m_propGrid->SetNameColumnWidth(300);
    FillPropertyGrid();
}

void IDSettingDlg::FillPropertyGrid() {
    using res::GridProperty;
    auto* gateway = new GridProperty(QStringLiteral("Gateway"));
    m_propGrid->AddProperty(gateway);
    auto* mcu = new GridProperty(QStringLiteral("MCU"), QStringLiteral("FFFFFF"),
                                 QStringLiteral("MCU ID is Default(FFFFFF)"), 0);
    gateway->AddSubItem(mcu);
    mcu->Enable(false);
    m_pPropGwSx1280A =
        new GridProperty(QStringLiteral("SX1280 A"), QString(),
                         QStringLiteral("input ID of SX1280 A \rPlease enter after input ID"), kGatewaySx1280A);
    m_pPropGwSx1280B =
        new GridProperty(QStringLiteral("SX1280 B"), QString(),
                         QStringLiteral("input ID of SX1280 B \rPlease enter after input ID"), kGatewaySx1280B);
    gateway->AddSubItem(m_pPropGwSx1280A);
    gateway->AddSubItem(m_pPropGwSx1280B);

    const QString moduleDescription = ModuleDescription();
    auto* repeater = new GridProperty(QCoreApplication::translate("Veskora", "Repeater 설정"));
    m_propGrid->AddProperty(repeater);
    m_pPropRepChoice = new GridProperty(
        QStringLiteral("Reapter ID"), QString(),
        QCoreApplication::translate("Veskora", "Repeater ID를 먼저 설정하신 후 \r하위 ID를 입력하시기 바랍니다."),
        kRepeaterChoice);
    for (int n = 1; n <= 6; ++n) m_pPropRepChoice->AddOption(QStringLiteral("Repeater #%1").arg(n));
    m_pPropRepChoice->AllowEdit(false);
    m_pPropRepMcu = new GridProperty(QStringLiteral("MCU"), QString(), moduleDescription, kRepeaterMcu);
    m_pPropRepMcu->AllowEdit(false);
    m_pPropRepSx1280A = new GridProperty(QStringLiteral("SX1280 A"), QString(), moduleDescription, kRepeaterSx1280A);
    m_pPropRepSx1280B = new GridProperty(QStringLiteral("SX1280 B"), QString(), moduleDescription, kRepeaterSx1280B);
    m_pPropRepSx1276_1 = new GridProperty(QStringLiteral("SX1276 1"), QString(), moduleDescription, kRepeaterSx1276_1);
    m_pPropRepSx1276_2 = new GridProperty(QStringLiteral("SX1276 2"), QString(), moduleDescription, kRepeaterSx1276_2);
    m_pPropRepSx1276_3 = new GridProperty(QStringLiteral("SX1276 3"), QString(), moduleDescription, kRepeaterSx1276_3);
    for (GridProperty* item : {m_pPropRepSx1280B, m_pPropRepSx1276_1, m_pPropRepSx1276_2, m_pPropRepSx1276_3}) {
        item->AddOption(kNoId);
        item->AllowEdit(true);
    }
    repeater->AddSubItem(m_pPropRepChoice);
    for (GridProperty* item : RepeaterItems()) repeater->AddSubItem(item);
}

std::array<res::GridProperty*, 6> IDSettingDlg::RepeaterItems() const {
    return {m_pPropRepMcu,      m_pPropRepSx1280A,  m_pPropRepSx1280B,
            m_pPropRepSx1276_1, m_pPropRepSx1276_2, m_pPropRepSx1276_3};
}

void IDSettingDlg::OnPropertyChanged(res::GridProperty* property) {
    if (!property) return;
    const QString value = property->GetValue();
    const std::string narrow = textcodec::ToNarrow(value);
    switch (property->GetData()) {
        case kGatewaySx1280A: m_arrGatewayRadioIds[0] = narrow; break;
        case kGatewaySx1280B: m_arrGatewayRadioIds[1] = narrow; break;
        case kRepeaterChoice: SelectRepeater(value); break;
        case kRepeaterSx1280A:
            // The repeater's MCU carries its SX1280 A's ID.
            m_pPropRepMcu->SetValue(value);
            if (StoreRepeaterEntry(0, narrow)) StoreRepeaterEntry(1, narrow);
            break;
        case kRepeaterSx1280B: StoreRepeaterEntry(2, narrow); break;
        case kRepeaterSx1276_1: StoreRepeaterEntry(3, narrow); break;
        case kRepeaterSx1276_2: StoreRepeaterEntry(4, narrow); break;
        case kRepeaterSx1276_3: StoreRepeaterEntry(5, narrow); break;
        default: break;
    }
}

bool IDSettingDlg::StoreRepeaterEntry(std::size_t index, const std::string& value) {
    if (m_nSelRepeater < 1 || m_nSelRepeater > 6) {
        res::AppMessageBox(QStringLiteral("Repeater ID를 설정하시기 바랍니다."));
        return false;
    }
    std::vector<std::string>& record = m_repeaterRecords[static_cast<std::size_t>(m_nSelRepeater - 1)];
    // A repeater not in the file has no entries yet: give it its six, so
    // what is typed is kept and saved.
    if (record.size() < ids::kModuleElements.size()) record.resize(ids::kModuleElements.size());
    record[index] = value;
    return true;
}

void IDSettingDlg::SelectRepeater(const QString& value) {
    // "Repeater #3" -> 3: the number is the last character.
    const std::string narrow = textcodec::ToNarrow(value);
    const int n = narrow.empty() ? 0 : std::atoi(narrow.c_str() + narrow.size() - 1);
    m_nSelRepeater = n;
    if (n != m_nPrevRepeater) ShowChosenRecord();
}

void IDSettingDlg::ShowChosenRecord() {
    const auto items = RepeaterItems();
    for (res::GridProperty* item : items) item->SetValue(QString());
    if (m_nSelRepeater >= 1 && m_nSelRepeater <= 6) {
        const std::vector<std::string>& record = m_repeaterRecords[static_cast<std::size_t>(m_nSelRepeater - 1)];
        if (record.size() == items.size()) {
            for (std::size_t i = 0; i < items.size(); ++i) items[i]->SetValue(textcodec::ToQString(record[i]));
        }
    }
    m_nPrevRepeater = m_nSelRepeater;
}

void IDSettingDlg::OnBnClickedLoadIds() {
    xml::XmlTextDoc doc;
    // Nothing is cleared before the load succeeds: a failed one leaves the
    // page, and so the next save, as they were.
    if (!ids::LoadIdFile(doc, m_idFilePath)) {
        res::WindowMessageBox(this, QStringLiteral("xml 파일이 존재하지 하는지 확인하십시오."),
                              res::ApplicationCaption());
        return;
    }
    for (auto& record : m_repeaterRecords) record.clear();
    ids::WalkIdDocument(doc, {nullptr, &m_arrGatewayRadioIds[0], &m_arrGatewayRadioIds[1], &m_repeaterRecords});
    m_pPropGwSx1280A->SetValue(textcodec::ToQString(m_arrGatewayRadioIds[0]));
    m_pPropGwSx1280B->SetValue(textcodec::ToQString(m_arrGatewayRadioIds[1]));
    // The items showed the record before the load; what is typed next goes
    // into the loaded one.
    if (m_nSelRepeater >= 1 && m_nSelRepeater <= 6) ShowChosenRecord();
}

void IDSettingDlg::OnBnClickedSaveIds() {
    xml::XmlTextDoc doc;
    ids::BuildIdDocument(doc, m_arrGatewayRadioIds[0], m_arrGatewayRadioIds[1], m_repeaterRecords);
    res::WindowMessageBox(this, textcodec::ToQString(doc.DocText()), res::ApplicationCaption());
    if (!doc.SaveTo(m_idFilePath.c_str())) {
        // The earlier file, if any, is still there as it was.
        res::WindowMessageBox(
            this,
            QCoreApplication::translate("Veskora", "ID 파일을 저장하지 못했습니다.\r\n%1\r\n%2")
                .arg(QString::fromUtf8(m_idFilePath.c_str()), textcodec::ToQString(ids::FileErrorOf(doc.ReportText()))),
            res::ApplicationCaption(), res::PromptIcon::Error);
    }
}

bool IDSettingDlg::PreTranslateKey(QWidget* target, QKeyEvent* event) {
    // The grid's open editor takes Enter (commit) and Escape (drop) itself.
    QWidget* editor = m_propGrid ? m_propGrid->OpenEditor() : nullptr;
    const bool isEditKey =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
    if (editor && isEditKey && (target == editor || editor->isAncestorOf(target))) return false;
    return PageBase::PreTranslateKey(target, event);
}
