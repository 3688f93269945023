// The receive path of the RF page: reads, cuts frames, stores and shows the
// values of each reply, and logs its dump.
#include <QPlainTextEdit>
#include <QScrollBar>

#include "res/ListCtrl.h"
#include "res/UserPrompts.h"
#include "rfconfig/RFConfigDlg.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/ReplyFrame.h"

void RFConfigDlg::OnSocketReceive(CDataSocket* socket, int) {
    if (socket != m_pDataSocket) return;  // a socket on its way out
    // Notifications do not repeat, so what waits is read a read at a time; a
    // bounded batch per turn keeps the window alive under a flood, and the
    // rest is taken up on the next turn of the event loop.
    for (int reads = 0; socket->bytesAvailable() > 0; ++reads) {
        if (reads == kReadsPerTurn) {
            ContinueReceiving();
            return;
        }
        char buffer[devlink::kReadSize];
        const qint64 n = socket->read(buffer, sizeof buffer);
        if (n < 0) {
            res::AppMessageBox(QStringLiteral("Could not Recieve"));
            return;
        }
        for (const std::string& frame : m_assembler.Feed(std::string_view(buffer, static_cast<size_t>(n)))) {
            HandleReply(frame);
        }
        // The wait for a frame's rest counts from its first byte: a trickle cannot postpone it.
        if (!m_assembler.HasPending()) {
            m_frameWait.stop();
        } else if (m_assembler.PendingStartedAnew() || !m_frameWait.isActive()) {
            m_frameWait.start();
        }
    }
}

void RFConfigDlg::ContinueReceiving() {
    if (!m_nextReceiveTurn.isActive()) m_nextReceiveTurn.start();
}

void RFConfigDlg::OnFrameWaitElapsed() {
    // The rest of a frame never came: handle what there is.
    if (!m_assembler.HasPending()) return;
    m_frameGivenUp = true;
    HandleReply(m_assembler.Flush());
    m_frameGivenUp = false;
}

void RFConfigDlg::HandleReply(const std::string& frame) {
    const devlink::Reply reply = devlink::DecodeReply(frame, m_bServiceStopped, m_strCommandCodes);
    if (reply.textMessage) qCDebug(lcLink, "\r\nDetected $!!!\r\n");
    if (!m_site.Store(reply)) qCDebug(lcLink, "\r\nWornning - Response Tag is worng!!\r\n");
    if (reply.extraTokens)
        qCDebug(lcLink) << "reply" << reply.tag.c_str() << "had" << reply.extraTokens << "tokens too many";
    m_strReplyModuleId = reply.moduleId;
    ShowReply(network::ShowReplyCase(reply));
    AppendLog(reply.logEntry, true);
    emit ReplyDecoded(reply);
    emit FrameHandled(frame);
    emit FrameSettled(frame);
}

void RFConfigDlg::ShowReply(int nKind) {
    const auto text = [](const std::string& s) { return textcodec::ToQString(s); };
    const auto row3 = [&](const std::vector<std::string>& v) {
        // A reply for another module than the one the row shows (one another
        // tab asked for) is stored, not written against the wrong module.
        const std::string shown = textcodec::ToNarrow(m_listRepeaterModules->GetItemText(m_nSelRepeaterRow, 1));
        if (!shown.empty() && !m_strReplyModuleId.empty() && !network::SameId(shown, m_strReplyModuleId)) return;
        for (int c = 2; c <= 4; ++c) {
            m_listRepeaterModules->SetItemText(m_nSelRepeaterRow, c,
                                               text(v.size() > size_t(c - 1) ? v[size_t(c - 1)] : ""));
        }
    };
    switch (nKind) {
        case 1:
            for (size_t r = 0; r < m_netKeys.size(); ++r) m_listNetKeys->SetItemText(int(r), 1, text(m_netKeys[r]));
            break;
        case 2: m_listGatewayFreq->SetItemText(0, 1, text(m_strG2Frequency)); break;
        case 3: row3(m_arrR2Values); break;
        case 4: row3(m_arrR9Values); break;
        case 5:
            for (size_t r = 0; r < m_nodeIds.size(); ++r) m_listNodes->SetItemText(int(r), 1, text(m_nodeIds[r]));
            break;
        case 6:
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
