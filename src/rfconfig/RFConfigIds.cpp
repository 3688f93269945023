// Loading the stored module IDs into the RF page from the ID file.
#include <QLoggingCategory>

#include "ids/IdFile.h"
#include "network/Tokens.h"
#include "res/ComboBox.h"
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"
#include "xml/XmlTextDoc.h"

void RFConfigDlg::OnBnClickedIdLoad() {
    xml::XmlTextDoc doc;
    for (auto& ids : m_repeaterIds) ids.clear();
    if (!ids::LoadIdFile(doc, m_idFilePath)) {
        rfpage::PageMessageBox(this, QStringLiteral("xml 파일이 존재하지 하는지 확인하십시오."));
        return;
    }
    ids::WalkIdDocument(doc, {&m_arrGatewayIds[0], &m_arrGatewayIds[1], &m_arrGatewayIds[2], &m_repeaterIds});
    qCDebug(lcLink, "\r\n%s - %s - %s \r\n", m_arrGatewayIds[0].c_str(), m_arrGatewayIds[1].c_str(),
            m_arrGatewayIds[2].c_str());
    for (int row = 0; row < 3; ++row) {
        m_listGatewayModules->SetItemText(row, 1, textcodec::ToQString(m_arrGatewayIds[static_cast<size_t>(row)]));
    }
    // The link's site learns the modules too, so that a reply to any tab
    // lands in it; an ID that is not one token for the wire stays unknown there.
    network::Site ids;
    const auto take = [](std::string& to, const std::string& id) {
        if (network::IdProblem(id).empty()) to = id;
    };
    for (size_t m = 0; m < ids.gateway.ids.size() && m < m_arrGatewayIds.size(); ++m)
        take(ids.gateway.ids[m], m_arrGatewayIds[m]);
    for (size_t k = 0; k < ids.repeaters.size(); ++k) {
        for (size_t m = 0; m < ids.repeaters[k].ids.size() && m < m_repeaterIds[k].size(); ++m)
            take(ids.repeaters[k].ids[m], m_repeaterIds[k][m]);
    }
    m_link.TakeIds(ids);
    // Shown only: the repeater list is refilled when the technician chooses.
    m_comboRepeater->SetCurSel(0);
    if (m_bConnected) StartQueryTimer();
}
