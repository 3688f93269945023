#include "app/VeskoraRFConfiguration.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/SingleInstance.h"
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
    app::InstanceGuard guard(app::InstanceName());
    if (!guard.OtherIsRunning()) {
        guard.Listen();
    } else {
        switch (app::AskAboutSecondStart()) {
            case app::SecondStart::BringFirstToFront:
                if (guard.AskOtherToFront()) return false;
                break;  // the first window did not hear: this one opens instead
            case app::SecondStart::StartAnyway: break;
            case app::SecondStart::Quit: return false;
        }
    }
    CVeskoraRFConfigurationDlg dlg;
    QObject::connect(&guard, &app::InstanceGuard::FrontRequested, &dlg, &CVeskoraRFConfigurationDlg::BringToFront);
    dlg.DoModal();
    return false;
}
