#include "netview/SiteChooser.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "ids/DocumentsFolder.h"
#include "res/Readings.h"

namespace netview {

SiteChooser::SiteChooser(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(res::Added("Site:"), this);
    m_box = new QComboBox(this);
    m_box->setAccessibleName(res::Added("Site from the site list"));
    m_box->view()->setAccessibleName(m_box->accessibleName());
    m_box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    label->setBuddy(m_box);
    layout->addWidget(label);
    layout->addWidget(m_box);
    connect(m_box, &QComboBox::activated, this, &SiteChooser::OnActivated);
    Reload();
}

void SiteChooser::Reload() {
    m_listPath = ids::LocateIdFile().idFolder + network::kSiteListFileName;
    std::string error;
    if (!network::LoadSiteList(m_listPath, &m_sites, &error)) m_sites.clear();
    m_box->clear();
    m_box->addItem(res::Added("(none)"));
    for (const network::SiteEntry& s : m_sites) {
        m_box->addItem(QString::fromStdString(s.name + "  " + network::GatewayText(s)));
    }
    m_box->setToolTip(error.empty() ? QString::fromStdString(m_listPath)
                                    : res::Added("The site list was not read:\n%1").arg(QString::fromStdString(error)));
}

void SiteChooser::showEvent(QShowEvent* event) {
    // Sites added with veskora meanwhile show up; the one chosen stays chosen.
    const QString chosen = m_box->currentText();
    Reload();
    if (const int at = m_box->findText(chosen); at >= 0) m_box->setCurrentIndex(at);
    QWidget::showEvent(event);
}

void SiteChooser::OnActivated(int index) {
    if (index < 1 || index > static_cast<int>(m_sites.size())) return;
    const network::SiteEntry& s = m_sites[static_cast<std::size_t>(index - 1)];
    const auto path = [&](const std::string& p) {
        return p.empty() ? QString() : QString::fromStdString(network::ResolvedPath(m_listPath, p));
    };
    emit SiteChosen(QString::fromStdString(s.name), QString::fromStdString(s.host), static_cast<quint16>(s.port),
                    path(s.idFile), path(s.plan));
}

}  // namespace netview
