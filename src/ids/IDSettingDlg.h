#pragma once

#include <string>
#include <vector>

#include "ids/IdFile.h"
#include "res/PageBase.h"

namespace res {
class GridProperty;
class PropertyGrid;
}  // namespace res

// The "ID Setting" page: the IDs of the gateway's radios and of each
// repeater's modules, entered in a property grid, loaded from and saved to
// the ID file.
class IDSettingDlg : public res::PageBase {
    Q_OBJECT

public:
    // The grid items' data codes: what a change of each item means.
    enum ItemCode : quintptr {
        kGatewaySx1280A = 11000,
        kGatewaySx1280B = 12000,
        kRepeaterChoice = 11100,
        kRepeaterMcu = 11200,
        kRepeaterSx1280A = 11300,
        kRepeaterSx1280B = 11400,
        kRepeaterSx1276_1 = 11500,
        kRepeaterSx1276_2 = 11600,
        kRepeaterSx1276_3 = 11700,
    };

    explicit IDSettingDlg(QWidget* parent = nullptr);
    ~IDSettingDlg() override;

    // Creates the page's controls from its template as a child of parent and
    // initialises them. Called once.
    void Create(QWidget* parent);

    // A committed change of a grid item.
    void OnPropertyChanged(res::GridProperty* property);
    void OnBnClickedLoadIds();
    void OnBnClickedSaveIds();

    res::PropertyGrid* m_propGrid = nullptr;  // 1004
    int m_nSelRepeater = 0;                   // repeater 1-6 last chosen; 0 none
    int m_nPrevRepeater = 0;                  // repeater the module items were filled for

    // Where the ID file is; paths in the file system's encoding.
    std::string m_szDocumentsPath;
    std::string m_strIdFolder;
    std::string m_idFilePath;
    std::string m_strIdFileName;

    // Grid items the page writes to (owned by the grid).
    res::GridProperty* m_pPropGwSx1280A = nullptr;
    res::GridProperty* m_pPropGwSx1280B = nullptr;
    res::GridProperty* m_pPropRepChoice = nullptr;
    res::GridProperty* m_pPropRepMcu = nullptr;
    res::GridProperty* m_pPropRepSx1280A = nullptr;
    res::GridProperty* m_pPropRepSx1280B = nullptr;
    res::GridProperty* m_pPropRepSx1276_1 = nullptr;
    res::GridProperty* m_pPropRepSx1276_2 = nullptr;
    res::GridProperty* m_pPropRepSx1276_3 = nullptr;

    // The data that is saved: the gateway radios' IDs (SX1280 A, B) and the
    // six repeaters' records. The grid shows them; it is not read back.
    std::vector<std::string> m_arrGatewayRadioIds;
    ids::RepeaterRecords m_repeaterRecords;

protected:
    // Enter and Escape never close the page; in a grid editor they end the edit.
    bool PreTranslateKey(QWidget* target, QKeyEvent* event) override;

private:
    void OnInitDialog();
    void FillPropertyGrid();
    void SelectRepeater(const QString& value);
    // Fills the repeater items with the chosen repeater's record (empty when
    // it has none of six entries).
    void ShowChosenRecord();
    // Stores an edited module ID as entry index of the chosen record; false
    // (and a message) when no repeater is chosen.
    bool StoreRepeaterEntry(std::size_t index, const std::string& value);
    std::array<res::GridProperty*, 6> RepeaterItems() const;
};
