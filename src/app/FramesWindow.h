#pragma once

#include <QWidget>
#include <deque>
#include <functional>
#include <string>

#include "network/Clock.h"
#include "network/FrameInfo.h"

class QPlainTextEdit;
class QTableWidget;
class QTextEdit;
class RFConfigDlg;

// Every command and reply of the session, decoded: time, direction, tag, ID,
// values by name and warnings; a selected row shows its bytes in hex and
// ASCII with the frame's parts marked. Keeps the newest kRowsKept.
class FramesWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRowsKept = 5000;
    using Clock = network::Clock;

    explicit FramesWindow(RFConfigDlg& page, QWidget* parent = nullptr);
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    int Rows() const;
    QString Cell(int row, int column) const;
    void Select(int row);
    QString BytesText() const;

private:
    struct Entry {
        std::string bytes;
        network::FrameInfo info;
    };
    void Add(std::string bytes, network::FrameInfo info);
    void ShowBytes(int row);

    Clock m_clock;
    std::deque<Entry> m_entries;
    QTableWidget* m_table = nullptr;
    QTextEdit* m_bytes = nullptr;
};
