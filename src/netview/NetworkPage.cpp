#include "netview/NetworkPage.h"
#include "netview/SiteChooser.h"
#include "netview/SiteHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <set>
#include <utility>

#include "ids/DocumentsFolder.h"
#include "netview/AboutSite.h"
#include "netview/FileNames.h"
#include "netview/FrequencyPlanView.h"
#include "netview/ResultStrip.h"
#include "netview/TreeFilter.h"
#include "netview/WriteQuestion.h"
#include "network/NetworkFile.h"
#include "network/Tokens.h"
#include "network/WritePlan.h"
#include "res/Readings.h"
#include "res/Settings.h"
#include "res/UserPrompts.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/CommandText.h"

namespace netview {
namespace {

enum Column { kItem, kValue, kPlan, kState, kTime };

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Values and IDs are narrow text in the system code page, as on the wire.
QString N(const std::string& narrow) { return textcodec::ToQString(narrow); }

QColor Tint(ShownState state) {
    switch (state) {
        case ShownState::Edited: return {255, 246, 200};
        case ShownState::DiffersFromPlan: return {255, 226, 198};
        case ShownState::Confirmed: return {214, 243, 214};
        case ShownState::WrittenDiffers: return {248, 208, 208};
        case ShownState::NoAnswer: return {228, 228, 228};
        case ShownState::NotWritten: return {232, 222, 244};
        case ShownState::NotConfirmed: return {250, 214, 160};
        case ShownState::ReadBeforeLoss:
        case ShownState::ConfirmedBeforeLoss: return {236, 236, 214};
        default: return {};
    }
}

// The tree's parent of a path: its prefix before the last " / "; nodes sit
// under one "nodes" item rather than beside the gateway and repeaters.
std::string ParentOf(const std::string& path) {
    const std::size_t cut = path.rfind(" / ");
    if (cut != std::string::npos) return path.substr(0, cut);
    return path.rfind("node ", 0) == 0 ? "nodes" : "";
}

std::string LastSegment(const std::string& path) {
    const std::size_t cut = path.rfind(" / ");
    return cut == std::string::npos ? path : path.substr(cut + 3);
}

// A frequency's Hz, for its editor: the tree shows MHz, a technician types what the gateway takes.
constexpr int kHzRole = 0x0102;

class ValueDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        const QVariant hz = index.data(kHzRole);
        if (line && hz.isValid()) {
            line->setText(hz.toString());
            line->selectAll();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
};

// A value as the tree shows it: frequencies in MHz.
QString Shown(const std::string& path, const std::string& text) {
    return network::path::IsFrequency(path) ? N(Megahertz(text)) : N(text);
}

QString ChooseWithDialog(QWidget* parent, const QString& caption, const QString& filter, bool save) {
    const QString start =
        SuggestedPath(QString::fromStdString(ids::LocateIdFile().idFolder), filter, save, QDateTime::currentDateTime());
    return save ? QFileDialog::getSaveFileName(parent, caption, start, filter)
                : QFileDialog::getOpenFileName(parent, caption, start, filter);
}

}  // namespace

NetworkPage::NetworkPage() : m_chooseFile(ChooseWithDialog), m_clock(network::SystemNow) {
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(100);
    connect(&m_refresh, &QTimer::timeout, this, &NetworkPage::RefreshTree);
}

NetworkPage::~NetworkPage() {
    // Nothing may call back into a page on its way out.
    if (m_client) m_client->Cancel();
}

void NetworkPage::Create(QWidget* parent) {
    setParent(parent);
    Build();
    RefreshTree();
    RefreshLink();
}

void NetworkPage::SetLink(SiteLink* link) {
    m_link = link;
    m_site = m_link ? &m_link->Link().live : &m_ownSite;
    if (!m_link) return;
    devlink::GatewayLink* gateway = &m_link->Link();
    connect(gateway, &devlink::Channel::Opened, this, &NetworkPage::OnLinkChanged);
    connect(gateway, &devlink::Channel::Closed, this, &NetworkPage::OnLinkChanged);
    // Every reply the link reads into the site, whoever asked, shows here.
    connect(gateway, &devlink::GatewayLink::SiteChanged, this, &NetworkPage::ScheduleRefresh);
    RefreshLink();
}

void NetworkPage::OnLinkChanged() {
    RefreshLink();
    RefreshTree();
}

QString NetworkPage::StateText(ShownState state, const network::Value& value, bool english) const {
    QString text = english ? QString::fromLatin1(ShownStateName(state)) : StateWords(state);
    if (state == ShownState::ReadBeforeLoss || state == ShownState::ConfirmedBeforeLoss) {
        const auto lost = m_site->lostAt.find(value.session);
        if (lost != m_site->lostAt.end()) {
            const QString time = QDateTime::fromMSecsSinceEpoch(lost->second).toString(QStringLiteral("hh:mm"));
            text = english ? text + QStringLiteral(" at %1").arg(time) : res::Added("%1 at %2").arg(text, time);
        }
    }
    return text;
}

void NetworkPage::keyPressEvent(QKeyEvent* event) {
    // Keys no control took stop here: Enter and Escape never reach the window
    // and close it; Escape stops a running read or write instead.
    switch (event->key()) {
        case Qt::Key_Escape:
            if (Busy()) Cancel();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter: break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void NetworkPage::Build() {
    auto* layout = new QVBoxLayout(this);
    auto* linkRow = new QHBoxLayout;
    m_linkLabel = new QLabel(this);
    m_linkLabel->setWordWrap(true);  // a long line must not set the tab's least width
    m_connect = new QPushButton(res::Added("Connect"), this);
    linkRow->addWidget(m_linkLabel, 1);
    m_planLabel = new QLabel(this);
    linkRow->addWidget(m_planLabel);
    linkRow->addWidget(m_connect);
    auto* sites = new SiteChooser(this);
    linkRow->addWidget(sites);
    auto* history = new SiteHistory(this);
    history->SetLive([this] { return m_site; });
    connect(sites, &SiteChooser::SiteChosen, this,
            [this, history](const QString& name, const QString& host, quint16 port, const QString& ids,
                            const QString& plan) {
                m_siteName = name;
                history->ShowSite(name.toStdString());
                history->setVisible(!name.isEmpty());
                if (!plan.isEmpty()) OpenPlanFile(plan);
                emit SiteChosen(name, host, port, ids);
            });
    layout->addLayout(linkRow);

    // Two rows of buttons, the site's work above the files', so that the tab fits a small screen.
    auto* siteRow = new QHBoxLayout;
    auto* fileRow = new QHBoxLayout;
    QHBoxLayout* actions = siteRow;
    const auto button = [&](const QString& text, void (NetworkPage::*slot)(), const QKeySequence& keys = {}) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, slot);
        actions->addWidget(b);
        if (!keys.isEmpty()) {
            // A shortcut of the tab, alive only while the tab shows; a disabled button ignores it.
            auto* shortcut = new QShortcut(keys, this);
            connect(shortcut, &QShortcut::activated, b, &QPushButton::click);
            b->setToolTip(QStringLiteral("%1 (%2)").arg(b->text(), keys.toString(QKeySequence::NativeText)));
        }
        return b;
    };
    m_readAll = button(res::Added("Read all"), &NetworkPage::ReadAll, QKeySequence(Qt::CTRL | Qt::Key_R));
    m_retry = button(res::Added("Retry unanswered"), &NetworkPage::RetryUnanswered);
    m_compare = button(res::Added("Compare"), &NetworkPage::Compare, QKeySequence(Qt::Key_F5));
    m_write = button(res::Added("Write differences…"), &NetworkPage::WriteDifferences);
    siteRow->addStretch(1);
    actions = fileRow;
    m_openPlan = button(res::Added("Open plan…"), &NetworkPage::OpenPlan, QKeySequence(Qt::CTRL | Qt::Key_O));
    m_savePlan = button(res::Added("Save as plan…"), &NetworkPage::SavePlan, QKeySequence(Qt::CTRL | Qt::Key_S));
    m_export = button(res::Added("Export report…"), &NetworkPage::ExportReport, QKeySequence(Qt::CTRL | Qt::Key_E));
    m_includeKeys = new QCheckBox(res::Added("Include network keys"), this);
    fileRow->addWidget(m_includeKeys);
    m_filter = new QComboBox(this);
    m_filter->addItems({res::Added("All values"), res::Added("Only differences"), res::Added("Only problems")});
    m_filter->setAccessibleName(res::Added("Show in the tree"));
    connect(m_filter, &QComboBox::currentIndexChanged, this,
            [this](int) { ApplyFilter(*m_tree, static_cast<TreeFilter>(m_filter->currentIndex())); });
    fileRow->addWidget(m_filter);
    for (const bool forward : {true, false}) {
        auto* shortcut = new QShortcut(QKeySequence(forward ? Qt::Key_F8 : (Qt::SHIFT | Qt::Key_F8)), this);
        connect(shortcut, &QShortcut::activated, this, [this, forward] { GoToDifference(forward); });
    }
    fileRow->addStretch(1);
    layout->addLayout(siteRow);
    layout->addLayout(fileRow);

    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    m_current = new QLabel(this);
    m_cancel = new QPushButton(res::Added("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, this, &NetworkPage::Cancel);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_current, 2);
    progressRow->addWidget(m_cancel);
    layout->addLayout(progressRow);
    // What the last operation came to, at the top where the technician looks after pressing a button.
    m_result = new ResultStrip(this);
    m_result->setObjectName(QStringLiteral("result"));
    layout->addWidget(m_result);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_tree = new QTreeWidget(splitter);
    m_tree->setColumnCount(5);
    m_tree->setHeaderLabels(
        {res::Added("Item"), res::Added("Value"), res::Added("Plan"), res::Added("State"), res::Added("Time")});
    m_tree->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_tree->setColumnWidth(kItem, 260);
    m_tree->setColumnWidth(kValue, 170);
    m_tree->setColumnWidth(kPlan, 170);
    m_tree->setColumnWidth(kState, 160);
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setItemDelegateForColumn(kValue, new ValueDelegate(m_tree));
    connect(m_tree, &QTreeWidget::itemChanged, this, &NetworkPage::OnItemChanged);
    m_tree->setAccessibleName(res::Added("Site"));
    m_planView = new FrequencyPlanView(splitter);
    m_planView->setAccessibleName(res::Added("Frequency plan"));
    // Shown once a site is chosen: until then it would only cost a small screen its height.
    history->hide();
    splitter->addWidget(history);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    connect(m_connect, &QPushButton::clicked, this, [this] {
        if (m_link) m_link->Connect();
        RefreshLink();
    });
    SetBusy(false);
    ShowPlanName();
}

void NetworkPage::RefreshLink() {
    if (!m_linkLabel) return;
    const bool open = m_link && m_link->Link().IsOpen();
    const QString address = m_link ? m_link->Address() : QString();
    m_linkLabel->setText(open ? res::Added("Connected to the gateway at %1.").arg(address)
                              : res::Added("Not connected. Connect links the RF Configuration page to %1; "
                                           "this tab then works over the same link.")
                                    .arg(address));
    m_connect->setVisible(!open);
}

void NetworkPage::SetBusy(bool busy) {
    for (QPushButton* b : {m_readAll, m_retry, m_openPlan, m_savePlan, m_compare, m_write, m_export}) {
        b->setEnabled(!busy);
    }
    m_cancel->setEnabled(busy);
    m_progress->setVisible(busy);
    m_current->setVisible(busy);
    m_cancel->setVisible(busy);
}

void NetworkPage::Tell(const QString& text, bool error) {
    res::WindowMessageBox(this, text, res::Added("Network"),
                          error ? res::PromptIcon::Warning : res::PromptIcon::Information);
}

bool NetworkPage::EnsureLink() {
    if (m_link && m_link->Link().IsOpen()) return true;
    const QString address = m_link ? m_link->Address() : QString();
    if (m_link && res::WindowMessageBox(this,
                                        res::Added("Not connected to the gateway. Connect to %1 now? "
                                                   "Press the button again once the link is up.")
                                            .arg(address),
                                        res::Added("Network"), res::PromptIcon::Question,
                                        res::PromptButtons::YesNo) == res::kIdYes) {
        m_link->Connect();
        RefreshLink();
    }
    return false;
}

bool NetworkPage::EnsureServiceStopped() {
    if (m_link->ServiceStopped()) return true;
    if (res::WindowMessageBox(this,
                              res::Added("The gateway's service is running; configuration needs it stopped. "
                                         "Stop it now? It is started again at the end."),
                              res::Added("Network"), res::PromptIcon::Question,
                              res::PromptButtons::YesNo) != res::kIdYes) {
        return false;
    }
    m_link->StopService();
    m_stoppedService = true;
    return true;
}

void NetworkPage::StartClient() {
    m_client = std::make_unique<devlink::GatewayClient>(m_link->Link());
    if (m_replyTimeoutMs > 0) m_client->SetTimeout(m_replyTimeoutMs);
    connect(m_client.get(), &devlink::GatewayClient::Sending, this,
            [this](const QString& line) { m_current->setText(line); });
    // The stop went out through the page: its "$" message must not join the first reply.
    if (m_stoppedService) m_client->Submit({{}, devlink::kSettleTag, {}}, nullptr);
}

void NetworkPage::ReadAll() { StartRead(false); }

void NetworkPage::RetryUnanswered() { StartRead(true); }

void NetworkPage::StartRead(bool onlyUnanswered) {
    if (Busy() || !m_link || !EnsureLink()) return;
    network::Site ids;
    std::string error;
    if (!network::LoadSiteIds(m_idFile.empty() ? ids::LocateIdFile().idFilePath : m_idFile, ids, &error)) {
        Tell(res::Added("Read all takes the modules' IDs from the ID file, which cannot be read:\n%1").arg(Q(error)),
             true);
        return;
    }
    if (!EnsureServiceStopped()) return;
    // What was known stays until a new answer replaces it, marked by its link and time.
    network::TakeIds(*m_site, ids);
    for (auto& [path, notes] : m_notes) notes.written = notes.differs = false;
    m_compared = false;
    StartClient();
    m_reader = std::make_unique<devlink::SiteReader>(*m_client, *m_site, m_clock);
    connect(m_reader.get(), &devlink::SiteReader::Progress, this, [this](int done, int total, const QString& module) {
        ShowProgress(done, total);
        m_current->setText(module);
        ScheduleRefresh();
    });
    connect(m_reader.get(), &devlink::SiteReader::Finished, this, &NetworkPage::OnReadFinished);
    SetBusy(true);
    ShowProgress(0, 1);
    m_reader->Start(onlyUnanswered);
}

void NetworkPage::OnReadFinished() {
    const bool lost = m_reader->LinkLost();
    const QString where = Q(m_reader->LostAt());
    const int notRead = m_reader->NotRead();
    m_summary =
        res::Added("Read: %1 answered, %2 without answer.").arg(m_reader->Answered()).arg(m_reader->Unanswered());
    if (m_reader->Unanswered() > 0) {
        m_actions = UnansweredActions();
    }
    if (lost) {
        m_summary = res::Added("Link lost at %1 — %2 not read; %3 answered before.")
                        .arg(where)
                        .arg(notRead)
                        .arg(m_reader->Answered());
    }
    const bool thenCompare = std::exchange(m_compareAfterRead, false) && !lost;
    const int unanswered = m_reader->Unanswered();
    EndOperation();
    if (thenCompare) {
        Compare();
        if (unanswered > 0) {
            m_summary += QLatin1Char(' ') + res::Added("%1 without answer.").arg(unanswered);
            m_actions = UnansweredActions();
            RefreshTree();
        }
    }
    if (lost) {
        Tell(res::Added("The link to the gateway was lost at %1: %2 modules were not read. "
                        "Their last known values stay, marked.")
                 .arg(where)
                 .arg(notRead),
             true);
    }
}

std::vector<ResultStrip::Action> NetworkPage::UnansweredActions() {
    return {{res::Added("Retry"), [this] { RetryUnanswered(); }},
            {res::Added("Show"), [this] { ShowFirst(ShownState::NoAnswer); }}};
}

void NetworkPage::ShowProgress(int done, int total) {
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(done);
}

void NetworkPage::ScheduleRefresh() {
    if (!m_refresh.isActive()) m_refresh.start();
}

void NetworkPage::Cancel() {
    if (m_writer) {
        // The item on the wire ends; the rest are not written.
        m_writer->Cancel();
        m_current->setText(res::Added("Cancelling after the current item…"));
        return;
    }
    if (m_reader) {
        m_compareAfterRead = false;
        m_client->Cancel();
        m_summary = res::Added("Read all cancelled: %1 answered so far.").arg(m_reader->Answered());
        EndOperation();
    }
}

void NetworkPage::EndOperation() {
    // Called from the client's own callbacks: the objects go once they have returned.
    if (m_reader) m_reader.release()->deleteLater();
    if (m_writer) m_writer.release()->deleteLater();
    if (m_client) m_client.release()->deleteLater();
    m_refresh.stop();
    m_unsaved = true;  // what was read or written is in no file yet
    SetBusy(false);
    RefreshTree();
    RefreshLink();
    OfferRestart();
    emit Finished();
}

void NetworkPage::OfferRestart() {
    const bool agreed = std::exchange(m_restartAgreed, false);
    if (!m_stoppedService || !m_link || !m_link->Link().IsOpen()) return;
    if (agreed || res::WindowMessageBox(this, res::Added("This tab stopped the gateway's service. Start it again now?"),
                                        res::Added("Network"), res::PromptIcon::Question,
                                        res::PromptButtons::YesNo) == res::kIdYes) {
        m_link->RestartService();
        m_stoppedService = false;
    }
}

void NetworkPage::OpenPlan() {
    const QString file = m_chooseFile(this, res::Added("Open plan"), res::Added("Network files (*.xml)"), false);
    if (!file.isEmpty()) OpenPlanFile(file);
}

void NetworkPage::OpenPlanFile(const QString& file) {
    network::Site plan;
    std::string error;
    if (!network::LoadNetworkFile(file.toStdString(), plan, &error)) {
        Tell(res::Added("The plan was not opened:\n%1").arg(Q(error)), true);
        return;
    }
    m_plan = std::move(plan);
    m_planName = QFileInfo(file).fileName();
    for (auto& [path, notes] : m_notes) notes.edited = notes.differs = false;
    m_compared = false;
    m_summary = res::Added("Plan %1 opened.").arg(m_planName);
    ShowPlanName();
    RefreshTree();
}

network::Site NetworkPage::Merged() const {
    network::Site merged = *m_site;
    std::map<std::string, const network::Value*> planned;
    network::ForEachValue(m_plan, [&](const std::string& path, const network::Value& v) {
        if (v.Known()) planned.emplace(path, &v);
    });
    for (const auto& [id, node] : m_plan.nodes) merged.nodes[id];
    network::ForEachValue(merged, [&](const std::string& path, network::Value& v) {
        const auto it = planned.find(path);
        if (it != planned.end()) v = {it->second->text, network::Origin::Planned, 0};
    });
    std::map<std::string, std::string> planIds;
    network::ForEachModuleId(m_plan, [&](const std::string& path, const std::string& id) { planIds[path] = id; });
    network::ForEachModuleId(merged, [&](const std::string& path, std::string& id) {
        if (id.empty()) id = planIds[path];
    });
    return merged;
}

void NetworkPage::SavePlan() {
    const QString file = m_chooseFile(this, res::Added("Save as plan"), res::Added("Network files (*.xml)"), true);
    if (file.isEmpty()) return;
    std::string error;
    network::Site plan = Merged();
    plan.about = m_plan.about;
    if (!network::SaveNetworkFile(plan, file.toStdString(), &error)) {
        Tell(res::Added("The plan was not saved:\n%1").arg(Q(error)), true);
        return;
    }
    m_planName = QFileInfo(file).fileName();
    m_summary = res::Added("Plan saved: %1").arg(m_planName);
    m_unsaved = false;
    ShowPlanName();
    RefreshTree();
}

void NetworkPage::Compare() {
    std::set<std::string> plannedPaths;
    network::ForEachValue(m_plan, [&](const std::string& path, const network::Value& v) {
        if (v.Known()) plannedPaths.insert(path);
    });
    const std::size_t planned = plannedPaths.size();
    if (planned == 0) {
        m_summary = res::Added("There is no plan to compare with: open one, or edit values in the tree.");
        RefreshTree();
        return;
    }
    for (auto& [path, notes] : m_notes) notes.differs = false;
    const std::vector<network::Difference> differences = network::PlanDifferences(m_plan, *m_site);
    for (const network::Difference& d : differences) m_notes[d.path].differs = true;
    m_compared = true;
    // The result says which read it stands on, and offers a fresh one.
    std::int64_t newest = 0;
    bool stale = false;
    network::ForEachValue(*m_site, [&](const std::string& path, const network::Value& v) {
        if (!v.Known() || !v.when || !plannedPaths.count(path)) return;
        if (v.when > newest) newest = v.when;
        stale = stale || network::FromLostLink(*m_site, v);
    });
    const QString time = QDateTime::fromMSecsSinceEpoch(newest).toString(QStringLiteral("hh:mm:ss"));
    if (newest == 0) {
        m_summary = res::Added("Compared before any read: %1 of %2 planned values differ from what is known.");
    } else if (stale) {
        m_summary = res::Added(
            "Compared with the values read until %3, before the link was lost: "
            "%1 of %2 planned values differ.");
    } else {
        m_summary = res::Added("Compared with the values read until %3: %1 of %2 planned values differ.");
    }
    m_summary = m_summary.arg(differences.size()).arg(planned).arg(time);
    m_actions = {{newest == 0 ? res::Added("Read all, then compare") : res::Added("Read again, then compare"), [this] {
                      m_compareAfterRead = true;
                      ReadAll();
                      m_compareAfterRead = Busy();
                  }}};
    RefreshTree();
    // The differences are what the technician looks for: open their branches, show the first.
    for (const network::Difference& d : differences) {
        for (QTreeWidgetItem* up = ItemAt(d.path); up; up = up->parent()) up->setExpanded(true);
    }
    if (!differences.empty()) m_tree->scrollToItem(ItemAt(differences.front().path), QAbstractItemView::PositionAtTop);
}

void NetworkPage::WriteDifferences() {
    if (Busy() || !m_link) return;
    std::vector<network::WriteItem> items = network::PlanWrites(m_plan, *m_site);
    if (items.empty()) {
        m_summary = res::Added("Nothing to write: every planned value is on the gateway already.");
        RefreshTree();
        return;
    }
    // One question holds it all: the changes, the service's stop and restart, the lines.
    const bool stopsService = !m_link->ServiceStopped();
    res::Prompt question;
    question.text = WriteQuestion(items, Live(), stopsService);
    question.caption = res::Added("Write differences");
    question.icon = res::PromptIcon::Question;
    question.buttons = stopsService ? res::PromptButtons::YesNoCancel : res::PromptButtons::YesNo;
    // Enter gives the service choice made last time.
    const auto settings = res::OpenSettings();
    const bool restartLastTime = settings->value(QStringLiteral("Network/RestartAfterWrite"), true).toBool();
    if (stopsService) question.defaultAnswer = restartLastTime ? res::kIdYes : res::kIdNo;
    const int answer = res::ShowPrompt(this, question);
    if (answer != res::kIdYes && !(stopsService && answer == res::kIdNo)) return;
    if (!EnsureLink()) return;
    if (stopsService) {
        settings->setValue(QStringLiteral("Network/RestartAfterWrite"), answer == res::kIdYes);
        m_link->StopService();
        m_stoppedService = true;
        m_restartAgreed = answer == res::kIdYes;
    }
    StartClient();
    // Left stopped by choice: nothing to offer at the end.
    if (stopsService && answer == res::kIdNo) m_stoppedService = false;
    m_writer = std::make_unique<devlink::SiteWriter>(*m_client, *m_site, m_clock);
    connect(m_writer.get(), &devlink::SiteWriter::Progress, this, [this](int done, int total, const QString& module) {
        ShowProgress(done, total);
        m_current->setText(module);
        ScheduleRefresh();
    });
    connect(m_writer.get(), &devlink::SiteWriter::Finished, this, &NetworkPage::OnWriteFinished);
    SetBusy(true);
    ShowProgress(0, static_cast<int>(items.size()));
    RememberBeforeWrite(items);
    // Every item is tried: a failure marks it and the next goes on, unless the link is gone.
    m_writer->Start(std::move(items), true);
}

void NetworkPage::OnWriteFinished() {
    int counts[7] = {};
    for (const devlink::WriteReport& report : m_writer->Reports()) {
        ++counts[static_cast<int>(report.result)];
        for (const std::string& path : report.item.paths) {
            ValueNotes& notes = m_notes[path];
            notes.written = true;
            notes.result = report.result;
            if (report.result == devlink::WriteResult::Confirmed) notes.edited = false;
        }
    }
    using R = devlink::WriteResult;
    const int notWritten = counts[static_cast<int>(R::NotAttempted)] + counts[static_cast<int>(R::LinkFailed)] +
                           counts[static_cast<int>(R::CannotWrite)];
    m_summary = res::Added("Written: %1 confirmed, %2 differ after the write, %3 without answer, %4 not written.")
                    .arg(counts[static_cast<int>(R::Confirmed)])
                    .arg(counts[static_cast<int>(R::DiffersAfterWrite)])
                    .arg(counts[static_cast<int>(R::NoAnswer)])
                    .arg(notWritten);
    if (const int unsure = counts[static_cast<int>(R::NotConfirmed)]) {
        m_summary += res::Added(" %1 not confirmed: the gateway's answers could not be told apart.").arg(unsure);
    }
    QString lostAt;
    for (const devlink::WriteReport& report : m_writer->Reports()) {
        if (report.result == R::LinkFailed && lostAt.isEmpty()) lostAt = Q(report.item.module);
    }
    EndOperation();
    if (!lostAt.isEmpty()) {
        Tell(res::Added("The link to the gateway dropped during the write at %1: %2 items were not written.")
                 .arg(lostAt)
                 .arg(notWritten),
             true);
    }
}

void NetworkPage::ExportReport() {
    if (m_plan.about.technician.empty() && !AskAboutSite()) return;
    const QString chosen = m_chooseFile(this, res::Added("Export report"), res::Added("PDF documents (*.pdf)"), true);
    if (chosen.isEmpty()) return;
    const QString file = WithSuffix(chosen, QStringLiteral("pdf"));
    QString error;
    if (!WriteReport(Report(), file, &error)) {
        Tell(res::Added("The report was not written:\n%1").arg(error), true);
        return;
    }
    const QFileInfo pdf(file);
    m_summary = res::Added("Report written: %1 and %2.html").arg(pdf.fileName(), pdf.completeBaseName());
    m_actions = {{res::Added("Open folder"),
                  [folder = pdf.absolutePath()] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }}};
    m_unsaved = false;
    RefreshTree();
}

bool NetworkPage::AskAboutSite() {
    network::About about = m_plan.about;
    if (about.site.empty()) {
        about.site = textcodec::ToNarrow(m_siteName.isEmpty() ? QFileInfo(m_planName).completeBaseName() : m_siteName);
    }
    std::vector<res::PromptField> fields = AboutFields(about);
    if (!AskAbout(this, fields)) return false;
    if (const QString why = AboutFromFields(fields, &about); !why.isEmpty()) {
        Tell(res::Added("The report was not written:\n%1").arg(why), true);
        return false;
    }
    m_plan.about = std::move(about);
    return true;
}

ReportData NetworkPage::Report() const {
    ReportData report;
    report.site = !m_plan.about.site.empty() ? N(m_plan.about.site)
                  : m_planName.isEmpty()     ? QStringLiteral("(no plan opened)")
                                             : m_planName;
    report.technician = N(m_plan.about.technician);
    report.notes = N(m_plan.about.notes);
    report.gateway = m_link ? m_link->Address() : QString();
    report.when = QDateTime::fromMSecsSinceEpoch(m_clock()).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    report.includeKeys = m_includeKeys && m_includeKeys->isChecked();
    const network::Site shown = Merged();
    std::map<std::string, std::string> planned;
    network::ForEachValue(m_plan, [&](const std::string& path, const network::Value& v) {
        if (v.Known()) planned[path] = v.text;
    });
    std::map<std::string, const network::Value*> live;
    network::ForEachValue(*m_site, [&](const std::string& path, const network::Value& v) { live[path] = &v; });
    network::ForEachValue(shown, [&](const std::string& path, const network::Value&) {
        const auto it = live.find(path);
        const network::Value value = it != live.end() ? *it->second : network::Value{};
        if (!value.Known() && value.origin == network::Origin::Unknown && !planned.count(path)) return;
        // The value is at hand: StateAt would walk the whole site again for each row.
        const auto notes = m_notes.find(path);
        const ShownState state = StateOf(value, notes != m_notes.end() ? notes->second : ValueNotes{},
                                         network::FromLostLink(*m_site, value));
        ReportRow row{
            Q(path),
            N(value.text),
            N(planned[path]),
            StateText(state, value, true),
            value.when ? QDateTime::fromMSecsSinceEpoch(value.when).toString(QStringLiteral("hh:mm:ss")) : QString(),
            network::path::IsKey(path)};
        const bool unsure = state == ShownState::NoAnswer || state == ShownState::NotConfirmed ||
                            state == ShownState::ReadBeforeLoss || state == ShownState::ConfirmedBeforeLoss;
        if (state == ShownState::DiffersFromPlan || state == ShownState::WrittenDiffers ||
            state == ShownState::NotWritten || (unsure && planned.count(path))) {
            report.open.push_back(row);
        }
        report.rows.push_back(std::move(row));
    });
    report.frequencyPlan = m_planView ? m_planView->Render(QSize(900, 380)) : QImage();
    report.conflicts = ConflictLines(PlaceModules(Live(), m_plan));
    std::map<std::string, network::Value> after;
    network::ForEachValue(Live(), [&](const std::string& path, const network::Value& v) { after[path] = v; });
    for (const auto& [path, before] : m_beforeWrite) {
        const network::Value& now = after[path];
        report.changes.push_back({Q(path), N(before), N(now.text), StateText(StateAt(path), now, true), QString(),
                                  network::path::IsKey(path)});
    }
    return report;
}

ShownState NetworkPage::StateAt(const std::string& path) const {
    network::Value value;
    network::ForEachValue(*m_site, [&](const std::string& p, const network::Value& v) {
        if (p == path) value = v;
    });
    const auto it = m_notes.find(path);
    return StateOf(value, it != m_notes.end() ? it->second : ValueNotes{}, network::FromLostLink(*m_site, value));
}

QTreeWidgetItem* NetworkPage::ItemAt(const std::string& path) const {
    const auto it = m_items.find(path);
    return it == m_items.end() ? nullptr : it->second;
}

QString NetworkPage::Summary() const { return m_summary; }

void NetworkPage::RememberBeforeWrite(const std::vector<network::WriteItem>& items) {
    std::map<std::string, std::string> now;
    network::ForEachValue(Live(), [&](const std::string& path, const network::Value& v) { now[path] = v.text; });
    for (const network::WriteItem& item : items) {
        for (std::size_t i = 0; i < item.paths.size() && i < item.expected.size(); ++i) {
            const std::string& was = now[item.paths[i]];
            // The first value of the session is the one a report calls "before".
            if (!network::SameValue(was, item.expected[i])) m_beforeWrite.emplace(item.paths[i], was);
        }
    }
}

void NetworkPage::GoToDifference(bool forward) {
    QTreeWidgetItem* item = NextDifference(*m_tree, m_tree->currentItem(), forward);
    if (!item) return;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) up->setExpanded(true);
    m_tree->setCurrentItem(item, kValue);
    m_tree->scrollToItem(item);
}

void NetworkPage::ShowPlanName() {
    m_planLabel->setText(m_planName.isEmpty() ? res::Added("No plan open") : res::Added("Plan: %1").arg(m_planName));
}

void NetworkPage::ShowFirst(ShownState state) {
    for (const auto& [path, item] : m_items) {
        if (StateAt(path) != state) continue;
        for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) up->setExpanded(true);
        m_tree->setCurrentItem(item, kValue);
        m_tree->scrollToItem(item);
        m_tree->setFocus(Qt::OtherFocusReason);
        return;
    }
}

QTreeWidgetItem* NetworkPage::EnsureItem(const std::string& path) {
    if (const auto it = m_items.find(path); it != m_items.end()) return it->second;
    const std::string parentPath = ParentOf(path);
    QTreeWidgetItem* item =
        parentPath.empty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(EnsureItem(parentPath));
    item->setText(kItem, Q(LastSegment(path)));
    item->setData(kItem, Qt::UserRole, Q(path));
    if (parentPath.empty()) item->setExpanded(true);
    m_items.emplace(path, item);
    return item;
}

void NetworkPage::RefreshTree() {
    if (!m_tree) return;
    m_refreshing = true;
    const network::Site shown = Merged();
    network::ForEachModuleId(
        shown, [&](const std::string& path, const std::string& id) { EnsureItem(path)->setText(kValue, N(id)); });
    std::map<std::string, const network::Value*> planned, live;
    network::ForEachValue(m_plan, [&](const std::string& path, const network::Value& v) { planned[path] = &v; });
    network::ForEachValue(*m_site, [&](const std::string& path, const network::Value& v) { live[path] = &v; });
    network::ForEachValue(shown, [&](const std::string& path, const network::Value&) {
        QTreeWidgetItem* item = EnsureItem(path);
        const auto l = live.find(path);
        const network::Value value = l != live.end() ? *l->second : network::Value{};
        const auto p = planned.find(path);
        const auto n = m_notes.find(path);
        const ShownState state =
            StateOf(value, n != m_notes.end() ? n->second : ValueNotes{}, network::FromLostLink(*m_site, value));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        const bool frequency = network::path::IsFrequency(path);
        item->setText(kValue, Shown(path, value.text));
        item->setData(kValue, kHzRole, frequency ? QVariant(N(value.text)) : QVariant());
        const std::string plannedText = p != planned.end() && p->second->Known() ? p->second->text : std::string();
        item->setText(kPlan, Shown(path, plannedText));
        item->setToolTip(kPlan, frequency && !plannedText.empty() ? N(plannedText) + QStringLiteral(" Hz") : QString());
        item->setText(kState, StateText(state, value));
        item->setText(kTime, value.when
                                 ? QDateTime::fromMSecsSinceEpoch(value.when).toString(QStringLiteral("hh:mm:ss"))
                                 : QString());
        const QColor tint = Tint(state);
        for (int c = kValue; c <= kTime; ++c) item->setBackground(c, tint.isValid() ? QBrush(tint) : QBrush());
        item->setToolTip(kState, StateText(state, value));
        const auto before = m_beforeWrite.find(path);
        QStringList tip;
        if (frequency && !value.text.empty()) tip << N(value.text) + QStringLiteral(" Hz");
        if (before != m_beforeWrite.end()) tip << res::Added("Before the write: %1").arg(Shown(path, before->second));
        item->setToolTip(kValue, tip.join(QLatin1Char('\n')));
        item->setData(kItem, kStateRole, static_cast<int>(state));
    });
    m_planView->SetPlacements(PlaceModules(*m_site, m_plan));
    CountOnBranches(*m_tree, kState);
    if (m_filter->currentIndex() != 0) ApplyFilter(*m_tree, static_cast<TreeFilter>(m_filter->currentIndex()));
    // A new result replaces the strip; its buttons come with it, once.
    std::vector<ResultStrip::Action> actions = std::exchange(m_actions, {});
    if (m_summary != m_result->Text() || !actions.empty()) m_result->Show(m_summary, actions);
    m_refreshing = false;
}

void NetworkPage::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_refreshing || column != kValue) return;
    const std::string path = item->data(kItem, Qt::UserRole).toString().toStdString();
    bool found = false;
    network::Site planned = Merged();  // so that a node the plan lacks exists in it
    for (const auto& [id, node] : planned.nodes) m_plan.nodes[id];
    // A typed value goes on a SET line as one token; anything else is refused here, with the reason.
    std::string typed = textcodec::ToNarrow(item->text(kValue).trimmed());
    if (network::path::IsFrequency(path)) typed = TypedHz(typed);
    if (const std::string why = network::ValueProblem(path, typed); !why.empty()) {
        bool isValue = false;
        network::ForEachValue(m_plan, [&](const std::string& p, network::Value&) { isValue = isValue || p == path; });
        if (isValue) {
            RefreshTree();
            Tell(res::Added("%1: %2 %3; it is not planned.").arg(Q(path), Q(network::TheValue(path, typed)), Q(why)),
                 true);
            return;
        }
    }
    network::ForEachValue(m_plan, [&](const std::string& p, network::Value& v) {
        if (p != path) return;
        v = {typed, network::Origin::Planned, 0};
        found = true;
    });
    if (!found) return;  // a module's ID or a group: not a value
    m_notes[path].edited = true;
    m_unsaved = true;
    m_notes[path].written = false;
    RefreshTree();
}

}  // namespace netview
