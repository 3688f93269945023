#include "ids/IDSettingDlg.h"

#include <QFile>

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
    const QString documents = res::DocumentsFolder();
    m_szDocumentsPath = QFile::encodeName(documents).toStdString();
    m_strIdFileName = res::kIdFileName;
    m_strIdFolder = QFile::encodeName(res::IdFolderOf(documents)).toStdString();
    m_idFilePath = m_strIdFolder + m_strIdFileName;
}
