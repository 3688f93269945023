#include "ids/IDSettingDlg.h"

#include "res/DocumentsFolder.h"
#include "res/TemplateBuilder.h"

IDSettingDlg::IDSettingDlg(QWidget* parent) : res::PageBase(parent) {}

IDSettingDlg::~IDSettingDlg() = default;

void IDSettingDlg::Create(QWidget* parent) {
    setParent(parent);
    res::BuildDialog(res::Template(res::kTemplateIdSetting), this);
    OnInitDialog();
}

void IDSettingDlg::OnInitDialog() {
    const res::IdFileLocation loc = res::LocateIdFile();
    m_szDocumentsPath = loc.documentsPath;
    m_strIdFolder = loc.idFolder;
    m_strIdFileName = loc.idFileName;
    m_idFilePath = loc.idFilePath;
}
