#include "netview/SiteHistory.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ids/DocumentsFolder.h"
#include "network/NetworkFile.h"
#include "network/SiteList.h"
#include "network/WritePlan.h"
#include "res/Readings.h"
#include "textcodec/qt/NarrowText.h"

namespace netview {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A value as the diff command shows it: its text, or why there is none.
QString Shown(const network::Value& value) {
    return value.Known() ? textcodec::ToQString(value.text) : QString::fromLatin1(network::OriginName(value.origin));
}

}  // namespace

SiteHistory::SiteHistory(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_entries = new QTreeWidget(this);
    m_entries->setAccessibleName(res::Added("Site history"));
    m_entries->setRootIsDecorated(false);
    m_entries->setHeaderLabels({res::Added("When (UTC)"), res::Added("Kind")});
    m_entries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_entries->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_differences = new QTreeWidget(this);
    m_differences->setAccessibleName(res::Added("Differences between the chosen entries"));
    m_differences->setRootIsDecorated(false);
    m_differences->setHeaderLabels({res::Added("Path"), res::Added("Older"), res::Added("Newer")});
    m_summary = new QLabel(res::Added("Choose two entries to see what changed between them."), this);
    m_summary->setWordWrap(true);
    layout->addWidget(m_entries, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_differences, 2);
    connect(m_entries, &QTreeWidget::itemSelectionChanged, this, &SiteHistory::CompareChosen);
    Reload();
}

void SiteHistory::ShowSite(const std::string& name) {
    const std::string list = ids::LocateIdFile().idFolder + network::kSiteListFileName;
    ShowFolder(network::HistoryFolder(list, name));
}

void SiteHistory::ShowFolder(const std::string& folder) {
    m_folder = folder;
    Reload();
}

QString SiteHistory::Summary() const { return m_summary->text(); }

void SiteHistory::showEvent(QShowEvent* event) {
    // Entries kept by veskora meanwhile show up.
    Reload();
    QWidget::showEvent(event);
}

void SiteHistory::Reload() {
    std::vector<network::HistoryEntry> history =
        m_folder.empty() ? std::vector<network::HistoryEntry>{} : network::ListHistory(m_folder);
    std::reverse(history.begin(), history.end());
    if (m_entries->topLevelItemCount() > 0 && history.size() == m_history.size() &&
        std::equal(history.begin(), history.end(), m_history.begin(),
                   [](const auto& a, const auto& b) { return a.path == b.path; })) {
        return;  // unchanged: the entries chosen stay chosen
    }
    m_history = std::move(history);
    const QSignalBlocker quiet(m_entries);
    m_entries->clear();
    new QTreeWidgetItem(m_entries, {res::Added("now"), res::Added("live site")});
    for (const network::HistoryEntry& e : m_history) {
        new QTreeWidgetItem(m_entries, {Q(e.when), Q(e.kind) + (e.partial ? res::Added(" (partial)") : QString())});
    }
    CompareChosen();
}

bool SiteHistory::SiteOf(int row, network::Site* site, std::string* error) const {
    if (row == 0) {
        const network::Site* live = m_live ? m_live() : nullptr;
        if (!live) *error = "there is no live site";
        if (live) *site = *live;
        return live != nullptr;
    }
    return network::LoadNetworkFile(m_history[static_cast<std::size_t>(row - 1)].path, *site, error);
}

void SiteHistory::CompareChosen() {
    m_differences->clear();
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_entries->selectedItems()) rows.push_back(m_entries->indexOfTopLevelItem(item));
    if (rows.size() != 2) {
        m_summary->setText(m_history.empty() ? res::Added("No history kept for this site yet.")
                                             : res::Added("Choose two entries to see what changed between them."));
        return;
    }
    // Rows run newest first: the larger row is the older entry, shown on the left.
    std::sort(rows.begin(), rows.end());
    const int older = rows[1], newer = rows[0];
    network::Site left, right;
    std::string error;
    if (!SiteOf(older, &left, &error) || !SiteOf(newer, &right, &error)) {
        m_summary->setText(res::Added("Cannot compare: %1").arg(Q(error)));
        return;
    }
    const QString leftName = m_entries->topLevelItem(older)->text(0);
    const QString rightName = m_entries->topLevelItem(newer)->text(0);
    m_differences->setHeaderLabels({res::Added("Path"), leftName, rightName});
    const std::vector<network::Difference> differences = network::PlanDifferences(left, right);
    for (const network::Difference& d : differences) {
        new QTreeWidgetItem(m_differences, {Q(d.path), Shown(d.left), Shown(d.right)});
    }
    // Whole sentences, one for each number: a translation cannot follow an added "s".
    m_summary->setText((differences.size() == 1 ? res::Added("%1 difference between %2 and %3.")
                                                : res::Added("%1 differences between %2 and %3."))
                           .arg(differences.size())
                           .arg(leftName, rightName));
}

}  // namespace netview
