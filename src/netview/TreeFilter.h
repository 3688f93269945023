#pragma once

#include <QString>

#include "netview/SiteView.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace netview {

// What the tree shows: every value, or only those the technician has to look at.
enum class TreeFilter { All, Differences, Problems };

// The role under which each value's item keeps its ShownState (as int).
inline constexpr int kStateRole = 0x0101;

// The state in the chosen language, as the tree shows it.
QString StateWords(ShownState state);

// Whether a value in this state passes the filter.
bool Passes(TreeFilter filter, ShownState state);

// Hides the values that do not pass and the branches left with none.
void ApplyFilter(QTreeWidget& tree, TreeFilter filter);

// The next (or previous) shown value after current, in the tree's order, whose
// state differs from the plan or from what was written; it wraps around.
// nullptr when there is none.
QTreeWidgetItem* NextDifference(QTreeWidget& tree, const QTreeWidgetItem* current, bool forward);

// Writes on every branch, in the state column, how many of the values below
// it need a look ("3 no answer, 1 differs from plan"); empty when none do.
void CountOnBranches(QTreeWidget& tree, int stateColumn);

}  // namespace netview
