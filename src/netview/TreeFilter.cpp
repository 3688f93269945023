#include "netview/TreeFilter.h"

#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <map>
#include <vector>

#include "res/Readings.h"

namespace netview {
namespace {

bool HasState(const QTreeWidgetItem* item) { return item->data(0, kStateRole).isValid(); }

ShownState StateOf(const QTreeWidgetItem* item) { return static_cast<ShownState>(item->data(0, kStateRole).toInt()); }

// Shows item when it or anything below it passes; returns whether it shows.
bool Filter(QTreeWidgetItem* item, TreeFilter filter) {
    bool shown = HasState(item) && Passes(filter, StateOf(item));
    for (int i = 0; i < item->childCount(); ++i) shown = Filter(item->child(i), filter) || shown;
    item->setHidden(!shown);
    return shown;
}

bool NeedsALook(ShownState state) {
    return Passes(TreeFilter::Differences, state) || Passes(TreeFilter::Problems, state);
}

// Counts the states below item that need a look, into counts; writes them on item when it is a branch.
void Count(QTreeWidgetItem* item, int stateColumn, std::map<ShownState, int>& counts) {
    if (HasState(item) && NeedsALook(StateOf(item))) ++counts[StateOf(item)];
    if (item->childCount() == 0) return;
    std::map<ShownState, int> below;
    for (int i = 0; i < item->childCount(); ++i) Count(item->child(i), stateColumn, below);
    QStringList parts;
    for (const auto& [state, n] : below) {
        parts << QStringLiteral("%1 %2").arg(n).arg(StateWords(state));
        counts[state] += n;
    }
    if (!HasState(item)) item->setText(stateColumn, parts.join(QStringLiteral(", ")));
}

}  // namespace

QString StateWords(ShownState state) {
    switch (state) {
        case ShownState::Unknown: return res::Added("unknown");
        case ShownState::Read: return res::Added("read");
        case ShownState::Edited: return res::Added("edited");
        case ShownState::DiffersFromPlan: return res::Added("differs from plan");
        case ShownState::Confirmed: return res::Added("written and confirmed");
        case ShownState::WrittenDiffers: return res::Added("written but differs");
        case ShownState::NoAnswer: return res::Added("no answer");
        case ShownState::NotWritten: return res::Added("not written");
        case ShownState::NotConfirmed: return res::Added("written but not confirmed");
        case ShownState::ReadBeforeLoss: return res::Added("read before the link was lost");
        case ShownState::ConfirmedBeforeLoss: return res::Added("confirmed before the link was lost");
    }
    return res::Added("unknown");
}

void CountOnBranches(QTreeWidget& tree, int stateColumn) {
    std::map<ShownState, int> all;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) Count(tree.topLevelItem(i), stateColumn, all);
}

bool Passes(TreeFilter filter, ShownState state) {
    switch (filter) {
        case TreeFilter::All: return true;
        case TreeFilter::Differences:
            return state == ShownState::DiffersFromPlan || state == ShownState::WrittenDiffers ||
                   state == ShownState::Edited;
        case TreeFilter::Problems:
            return state == ShownState::WrittenDiffers || state == ShownState::NoAnswer ||
                   state == ShownState::NotWritten || state == ShownState::NotConfirmed ||
                   state == ShownState::ReadBeforeLoss || state == ShownState::ConfirmedBeforeLoss;
    }
    return true;
}

void ApplyFilter(QTreeWidget& tree, TreeFilter filter) {
    if (filter == TreeFilter::All) {
        // Groups stay in view when nothing is filtered, even before they hold values.
        for (QTreeWidgetItemIterator it(&tree); *it; ++it) (*it)->setHidden(false);
        return;
    }
    for (int i = 0; i < tree.topLevelItemCount(); ++i) Filter(tree.topLevelItem(i), filter);
}

QTreeWidgetItem* NextDifference(QTreeWidget& tree, const QTreeWidgetItem* current, bool forward) {
    std::vector<QTreeWidgetItem*> differing;
    int at = -1;  // the index in differing of the last one before current
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        if (*it == current) at = static_cast<int>(differing.size()) - 1;
        if ((*it)->isHidden() || !HasState(*it)) continue;
        const ShownState state = StateOf(*it);
        if (state == ShownState::DiffersFromPlan || state == ShownState::WrittenDiffers) differing.push_back(*it);
    }
    if (differing.empty()) return nullptr;
    const int n = static_cast<int>(differing.size());
    // current itself may be one: forward goes past it, back goes before it.
    const int after = at + 1;
    const bool onOne = after < n && differing[static_cast<std::size_t>(after)] == current;
    // From the one before current (at), one step either way, round the ends.
    int next = forward ? (onOne ? at + 2 : at + 1) : at;
    if (next >= n) next -= n;
    if (next < 0) next = n - 1;
    return differing[static_cast<std::size_t>(next)];
}

}  // namespace netview
