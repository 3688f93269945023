#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "network/SiteList.h"

class QComboBox;

namespace netview {

// The sites of the site list beside the ID file (the one `veskora site add`
// keeps), offered by name; choosing one hands on its gateway, ID file and
// approved plan. The list is read again whenever the chooser is shown.
class SiteChooser : public QWidget {
    Q_OBJECT

public:
    explicit SiteChooser(QWidget* parent = nullptr);
    // Reads the list again; a list that cannot be read offers no site and says why.
    void Reload();
    QComboBox* Box() const { return m_box; }

signals:
    // Paths are resolved against the list's folder; plan is empty when the site has none.
    void SiteChosen(const QString& name, const QString& host, quint16 port, const QString& idFile, const QString& plan);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnActivated(int index);

    QComboBox* m_box = nullptr;
    std::string m_listPath;
    std::vector<network::SiteEntry> m_sites;
};

}  // namespace netview
