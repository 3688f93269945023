#pragma once

#include <string>

#include "res/PageBase.h"

// The "ID Setting" page: the IDs of the gateway's radios and of each
// repeater's modules, loaded from and saved to the ID file.
class IDSettingDlg : public res::PageBase {
    Q_OBJECT

public:
    explicit IDSettingDlg(QWidget* parent = nullptr);
    ~IDSettingDlg() override;

    // Creates the page's controls from its template as a child of parent and
    // initialises them. Called once.
    void Create(QWidget* parent);

    int m_nSelRepeater = 0;
    int m_nPrevRepeater = 0;

    // Where the ID file is; paths in the file system's encoding.
    std::string m_szDocumentsPath;
    std::string m_strIdFolder;
    std::string m_idFilePath;
    std::string m_strIdFileName;

private:
    void OnInitDialog();
};
