#include "rfconfig/RfLists.h"

#include "res/ListCtrl.h"

namespace rflists {
namespace {

using res::ListCtrl;
constexpr unsigned kPlain = ListCtrl::kGridLines | ListCtrl::kFullRowSelect;
constexpr unsigned kChecked = kPlain | ListCtrl::kCheckBoxes;

constexpr const char* kGatewayModuleCols[] = {"Modules", "ID"};
constexpr const char* kNetKeyCols[] = {"Num.", "NET KEY"};
constexpr const char* kGatewayFreqCols[] = {"ID", "FREQUENCY"};
constexpr const char* kRepeaterModuleCols[] = {"Modules", "ID", "Frequency", "NET Key", "Busy/SF"};
constexpr const char* kNodeAttrCols[] = {"ID", "Frequency", "Sub Net Key", "Super ID",
                                         "SF", "TX Period", "STATION 0",   "STATION 1"};
constexpr const char* kNodeCols[] = {"Nodes", "ID"};

}  // namespace

const std::array<ListDef, 6> kLists = {{
    {1011, kChecked, kGatewayModuleCols, "Gateway modules"},
    {1012, kPlain, kNetKeyCols, "Gateway NET KEYs"},
    {1013, kPlain, kGatewayFreqCols, "Gateway frequencies"},
    {1017, kChecked, kRepeaterModuleCols, "Repeater modules"},
    {1023, kPlain, kNodeAttrCols, "Node attributes"},
    {1016, kChecked, kNodeCols, "Nodes"},
}};

QStringList FixedRows(int controlId) {
    QStringList rows;
    switch (controlId) {
        case 1011: rows << QStringLiteral("MCU") << QStringLiteral("SX1280 A") << QStringLiteral("SX1280 B"); break;
        case 1012:
            rows << QStringLiteral("AUTO");
            for (int i = 1; i <= 20; ++i) rows << QStringLiteral("# %1").arg(i - 1);
            break;
        case 1017:
            rows << QStringLiteral("MCU") << QStringLiteral("SX1280 A") << QStringLiteral("SX1280 B")
                 << QStringLiteral("SX1276 1") << QStringLiteral("SX1276 2") << QStringLiteral("SX1276 3");
            break;
        case 1016:
            rows << QStringLiteral("SNT");
            for (int i = 1; i <= 30; ++i) rows << QStringLiteral("Node %1").arg(i);
            break;
        default: break;
    }
    return rows;
}

void Populate(const ListDef& def, ListCtrl& list) {
    list.setAccessibleName(QString::fromUtf8(def.accessibleName));
    for (size_t c = 0; c < def.columns.size(); ++c) {
        list.InsertColumn(static_cast<int>(c), QString::fromUtf8(def.columns[c]), 100);
    }
    const QStringList rows = FixedRows(def.controlId);
    for (int r = 0; r < rows.size(); ++r) {
        list.InsertItem(r, rows[r]);
        // The gateway list's ID cells exist from the start, empty.
        if (def.controlId == 1011) list.SetItemText(r, 1, QString());
    }
}

}  // namespace rflists
