#pragma once

#include <QStringList>
#include <array>
#include <span>

namespace res {
class ListCtrl;
}

// The six lists of the RF page: their columns and the rows they are born with.
namespace rflists {

struct ListDef {
    int controlId;
    unsigned extendedStyle;
    std::span<const char* const> columns;
    const char* accessibleName;  // tells the lists of one group box apart
};

// In the order the page initialises them: 1011, 1012, 1013, 1017, 1023, 1016.
extern const std::array<ListDef, 6> kLists;

// The fixed rows' labels (column 0) of a list; empty for lists born empty.
QStringList FixedRows(int controlId);

// Inserts a list's columns and fixed rows into an empty list.
void Populate(const ListDef& def, res::ListCtrl& list);

}  // namespace rflists
