// What the RF page does with each reply the link decoded: shows its values
// in the lists and logs its dump.
#include <QPlainTextEdit>
#include <QScrollBar>

#include "res/ListCtrl.h"
#include "res/UserPrompts.h"
#include "rfconfig/RFConfigDlg.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/ReplyFrame.h"

void RFConfigDlg::OnFrameDecoded(const devlink::Received& received) {
    m_strReplyModuleId = received.reply.moduleId;
    m_bReplyForClient = received.forClient;
    ShowReply(network::ShowReplyCase(received.reply));
    AppendLog(received.reply.logEntry, true);
    emit ReplyDecoded(received.reply);
}

void RFConfigDlg::ShowReply(int nKind) {
    const auto text = [](const std::string& s) { return textcodec::ToQString(s); };
    const auto row3 = [&](const std::vector<std::string>& v) {
        // Only the row of the module that answered shows its values: a reply
        // for a module the row does not show, or one another tab asked for
        // while the row shows no module, is stored, never written there.
        const std::string shown = textcodec::ToNarrow(m_listRepeaterModules->GetItemText(m_nSelRepeaterRow, 1));
        if (shown.empty() ? m_bReplyForClient
                          : !m_strReplyModuleId.empty() && !network::SameId(shown, m_strReplyModuleId))
            return;
        for (int c = 2; c <= 4; ++c) {
            m_listRepeaterModules->SetItemText(m_nSelRepeaterRow, c,
                                               text(v.size() > size_t(c - 1) ? v[size_t(c - 1)] : ""));
        }
    };
    // Another tab's answer shows in a list only when the list shows that module.
    const auto shows = [&](res::ListCtrl* list, int row, int column) {
        if (!m_bReplyForClient) return true;
        const std::string shown = textcodec::ToNarrow(list->GetItemText(row, column));
        return !shown.empty() && network::SameId(shown, m_strReplyModuleId);
    };
    switch (nKind) {
        case 1:
            for (size_t r = 0; r < m_netKeys.size(); ++r) m_listNetKeys->SetItemText(int(r), 1, text(m_netKeys[r]));
            break;
        case 2:
            if (shows(m_listGatewayFreq, 0, 0)) m_listGatewayFreq->SetItemText(0, 1, text(m_strG2Frequency));
            break;
        case 3: row3(m_arrR2Values); break;
        case 4: row3(m_arrR9Values); break;
        case 5:
            if (!shows(m_listRepeaterModules, 0, 1)) break;
            for (size_t r = 0; r < m_nodeIds.size(); ++r) m_listNodes->SetItemText(int(r), 1, text(m_nodeIds[r]));
            break;
        case 6:
            if (!shows(m_listNodeAttr, 0, 0)) break;
            // The list has columns 0-7: the eighth and ninth values are kept, not shown.
            for (int c = 1; c <= 8 && size_t(c - 1) < m_arrN9Values.size(); ++c) {
                m_listNodeAttr->SetItemText(0, c, text(m_arrN9Values[size_t(c - 1)]));
            }
            break;
        default: break;
    }
}

void RFConfigDlg::AppendLog(const std::string& text, bool scrollToEnd) {
    QString shown = textcodec::ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Entries leave no undo record (one Ctrl+Z must not take back the link's
    // record); switching undo off and on again empties the stack, as the
    // entry's replacement of the selection does.
    QTextDocument* document = m_editLog->document();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    // Past the limit the box drops its oldest lines, a tenth of it at a time
    // so that trimming is rare.
    if (m_logLimit > 0 && document->characterCount() > m_logLimit) {
        QTextCursor head(document);
        head.movePosition(QTextCursor::Start);
        head.setPosition(static_cast<int>(document->characterCount() - m_logLimit * 9 / 10), QTextCursor::KeepAnchor);
        head.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        head.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        head.removeSelectedText();
        if (!m_logTrimmed) {
            m_logTrimmed = true;
            emit LogTrimmed();
        }
    }
    document->setUndoRedoEnabled(true);
    // The caret and the view follow once per turn of the event loop: scrolling
    // for each entry would redraw the box for every reply of a flood.
    m_bLogScrollPending = m_bLogScrollPending || scrollToEnd;
    if (!m_logTailTurn.isActive()) m_logTailTurn.start();
    emit LogAppended(text);
}

void RFConfigDlg::ShowLogTail() {
    QTextCursor end = m_editLog->textCursor();
    end.movePosition(QTextCursor::End);
    m_editLog->setTextCursor(end);  // the caret at the end, in view
    if (m_bLogScrollPending) m_editLog->verticalScrollBar()->setValue(m_editLog->verticalScrollBar()->maximum());
    m_bLogScrollPending = false;
}
