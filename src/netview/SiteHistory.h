#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "network/History.h"
#include "network/Site.h"

class QLabel;
class QTreeWidget;

namespace netview {

// A site's history, newest first, with the live site above it; choosing any
// two shows what differs between them, the older on the left.
class SiteHistory : public QWidget {
    Q_OBJECT

public:
    // The live site, or nullptr while there is none to offer.
    using LiveSite = std::function<const network::Site*()>;

    explicit SiteHistory(QWidget* parent = nullptr);
    void SetLive(LiveSite live) { m_live = std::move(live); }
    // The history of the site of that name in the site list beside the ID file.
    void ShowSite(const std::string& name);
    // The entries kept in a history folder; an empty folder name shows none.
    void ShowFolder(const std::string& folder);

    QTreeWidget* Entries() const { return m_entries; }
    QTreeWidget* Differences() const { return m_differences; }
    QString Summary() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Reload();
    void CompareChosen();
    // The site a row of the entry list stands for; false with the reason.
    bool SiteOf(int row, network::Site* site, std::string* error) const;

    LiveSite m_live;
    std::string m_folder;
    std::vector<network::HistoryEntry> m_history;  // newest first, as listed below the live row
    QTreeWidget* m_entries = nullptr;
    QTreeWidget* m_differences = nullptr;
    QLabel* m_summary = nullptr;
};

}  // namespace netview
