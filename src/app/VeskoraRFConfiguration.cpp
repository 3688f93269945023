#include "app/VeskoraRFConfiguration.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/VeskoraRFConfigurationDlg.h"
#include "res/AppIcon.h"
#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"

void CVeskoraRFConfigurationApp::InitApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("VeskoraRFConfiguration"));
    QApplication::setApplicationVersion(QStringLiteral(VESKORA_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(res::DialogFont(res::Template(res::kTemplateRfConfig)));
    app.setWindowIcon(res::AppIcon());
}

bool CVeskoraRFConfigurationApp::InitInstance() {
    CVeskoraRFConfigurationDlg dlg;
    dlg.DoModal();
    return false;
}
