#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "link/SiteReader.h"
#include "link/SiteWriter.h"
#include "netview/Report.h"
#include "netview/ResultStrip.h"
#include "netview/SiteLink.h"
#include "netview/SiteView.h"
#include "network/Clock.h"
#include "network/Site.h"
#include "network/WritePlan.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace netview {

class FrequencyPlanView;

// The Network tab: the whole site as a tree (value, plan, state, time), read
// all, a plan opened, compared and written with read-backs, and a report.
// It works over its link's one connection to the gateway.
class NetworkPage : public QWidget {
    Q_OBJECT

public:
    // Asks for a file: caption, filter, whether to save. Empty: cancelled.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&, bool)>;
    using Clock = network::Clock;

    NetworkPage();
    ~NetworkPage() override;
    void Create(QWidget* parent);
    void SetLink(SiteLink* link);
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // How long each request waits for its answer (0: the client's own wait).
    void SetReplyTimeout(int ms) { m_replyTimeoutMs = ms; }
    // The ID file Read all takes its modules from (empty: the one in the ID folder).
    void SetIdFile(std::string path) { m_idFile = std::move(path); }

    // The buttons' work, callable from tests as from clicks.
    void ReadAll();
    // Reads again only the modules that gave no answer.
    void RetryUnanswered();
    void OpenPlan();
    void OpenPlanFile(const QString& file);
    void SavePlan();
    void Compare();
    void WriteDifferences();
    void ExportReport();
    void Cancel();

    bool Busy() const { return m_reader || m_writer; }
    // The live site: the link's one model of what the gateway said.
    const network::Site& Live() const { return *m_site; }
    const network::Site& Plan() const { return m_plan; }
    ShownState StateAt(const std::string& path) const;
    QTreeWidgetItem* ItemAt(const std::string& path) const;
    QString Summary() const;
    // A read, write or plan edit that is in no saved plan or report yet.
    bool HasUnsavedWork() const { return m_unsaved; }
    ReportData Report() const;

signals:
    // An operation (read all or a write) has ended.
    void Finished();
    // A site was chosen (its plan, if any, is open): for the owner of the link to take its gateway and ID file.
    void SiteChosen(const QString& name, const QString& host, quint16 port, const QString& idFile);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Build();
    bool EnsureLink();
    bool EnsureServiceStopped();
    void StartClient();
    void EndOperation();
    void OfferRestart();
    void OnWriteFinished();
    void OnReadFinished();
    // Retry and Show, offered with a result that left modules without answer.
    std::vector<ResultStrip::Action> UnansweredActions();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void RefreshTree();
    void RefreshLink();
    void ScheduleRefresh();
    QTreeWidgetItem* EnsureItem(const std::string& path);
    void ShowProgress(int done, int total);
    void SetBusy(bool busy);
    void Tell(const QString& text, bool error = false);
    void StartRead(bool onlyUnanswered);
    void OnLinkChanged();
    void ShowPlanName();
    // Keeps each value a write is about to change, as it was before the session's first write of it.
    void RememberBeforeWrite(const std::vector<network::WriteItem>& items);
    // F8 and Shift+F8: the next or previous value that differs, opened and selected.
    void GoToDifference(bool forward);
    // Selects, opens and shows the first item in the given state.
    void ShowFirst(ShownState state);
    // The state's words, with when the link was lost for a value of a dropped link;
    // in English for the report, else in the chosen language.
    QString StateText(ShownState state, const network::Value& value, bool english = false) const;
    network::Site Merged() const;
    // Asks who commissions the site when the plan does not say; false when the export is off.
    bool AskAboutSite();

    SiteLink* m_link = nullptr;
    FileChooser m_chooseFile;
    Clock m_clock;
    network::Site m_ownSite;  // a tab with no link yet has an empty site of its own
    network::Site* m_site = &m_ownSite;
    network::Site m_plan;
    std::string m_idFile;
    int m_replyTimeoutMs = 0;
    std::map<std::string, ValueNotes> m_notes;
    std::map<std::string, QTreeWidgetItem*> m_items;
    std::unique_ptr<devlink::GatewayClient> m_client;
    std::unique_ptr<devlink::SiteReader> m_reader;
    std::unique_ptr<devlink::SiteWriter> m_writer;
    bool m_stoppedService = false;
    bool m_restartAgreed = false;  // the write's question said the service starts again at the end
    bool m_compared = false;
    bool m_compareAfterRead = false;  // the read under way was asked for by a compare
    bool m_refreshing = false;
    QString m_planName;
    QString m_siteName;  // the site chosen by name, if any
    QString m_summary;
    std::vector<ResultStrip::Action> m_actions;  // offered with the next result shown
    bool m_unsaved = false;
    std::map<std::string, std::string> m_beforeWrite;  // path: its value before this session wrote it
    QTimer m_refresh;

    QLabel* m_linkLabel = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_readAll = nullptr;
    QPushButton* m_retry = nullptr;
    QPushButton* m_openPlan = nullptr;
    QPushButton* m_savePlan = nullptr;
    QPushButton* m_compare = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_export = nullptr;
    QCheckBox* m_includeKeys = nullptr;  // off at every start: a report is handed over
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_planLabel = nullptr;
    QComboBox* m_filter = nullptr;
    ResultStrip* m_result = nullptr;
    QTreeWidget* m_tree = nullptr;
    FrequencyPlanView* m_planView = nullptr;
};

}  // namespace netview
