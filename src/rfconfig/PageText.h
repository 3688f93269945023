#pragma once

// Small helpers the RF page's command handlers share: cell text as it goes
// on the wire, ID comparison, and the page's own message box.
#include <QString>
#include <string>
#include <vector>

#include "network/SiteState.h"
#include "res/ListCtrl.h"
#include "res/UserPrompts.h"
#include "textcodec/qt/NarrowText.h"

namespace rfpage {

// The refusal of a SET whose values are not all filled in.
inline const QString kTooFewParameters = QStringLiteral("전송할 파라메타가 부족합니다.");

// A cell's text in the system code page; empty for a missing row or cell.
inline std::string Cell(const res::ListCtrl* list, int row, int column) {
    return textcodec::ToNarrow(list->GetItemText(row, column));
}

using network::SameId;
using network::Unaddressable;

// The page's own box: text only, the program's name as caption, OK.
inline void PageMessageBox(QWidget* page, const QString& text) {
    res::WindowMessageBox(page, text, res::ApplicationCaption());
}

// The cells of one column, row by row.
inline std::vector<std::string> ColumnCells(const res::ListCtrl* list, int column) {
    const int rows = list->GetItemCount();
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(rows > 0 ? rows : 0));
    for (int r = 0; r < rows; ++r) cells.push_back(Cell(list, r, column));
    return cells;
}

// Letters a-z become A-Z; everything else, Korean included, stays as typed.
inline QString UpperLatinLetters(QString text) {
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
    }
    return text;
}

}  // namespace rfpage
