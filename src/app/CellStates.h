#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <tuple>

#include "wire/ReplyFrame.h"

class RFConfigDlg;
namespace res {
class ListCtrl;
}

// What became of the cells typed into the RF page's lists: edited but not
// sent, sent and waiting, confirmed by the reply, or the reply differs. Shown
// as a tint and a tooltip; the cells' texts stay as the page sets them.
class CellStates : public QObject {
    Q_OBJECT

public:
    enum class State { Edited, Waiting, Confirmed, Differs };

    explicit CellStates(RFConfigDlg& page, QObject* parent = nullptr);
    // The state of a cell, if it has one.
    bool StateOf(const res::ListCtrl* list, int row, int column, State* state) const;

signals:
    // SET went out while that list's in-place editor was still open.
    void EditorStillOpen();

private:
    struct Cell {
        State state;
        QString sent;
    };
    using Key = std::tuple<const res::ListCtrl*, int, int>;

    void Mark(res::ListCtrl* list, int row, int column, State state, const QString& tip);
    void Clear(res::ListCtrl* list, int row, int column);
    void OnSet(const std::string& line);
    void OnReply(const devlink::Reply& reply);
    // The list and the cells a SET or a reply of code carries.
    res::ListCtrl* ListOf(const std::string& code, int* row, int* firstColumn, int* lastColumn) const;

    RFConfigDlg& m_page;
    std::map<Key, Cell> m_cells;
};
