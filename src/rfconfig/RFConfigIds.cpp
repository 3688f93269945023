// Loading the stored module IDs into the RF page from the ID file.
#include <QLoggingCategory>

#include "ids/IdFile.h"
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
    // Shown only: the repeater list is refilled when the technician chooses.
    m_comboRepeater->SetCurSel(0);
    if (m_bConnected) StartQueryTimer();
}
