#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <memory>

#include "GatewayServer.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/Keyboard.h"
#include "flow/TechnicianFlow.h"
#include "ids/DocumentsFolder.h"
#include "support/PromptRecorder.h"

// The main window, shown and active, with an ID folder of the test's own and
// a simulated gateway in this process; flow drives it by clicks and keys.
class WindowWithGateway : public testing::Test {
protected:
    void TearDown() override { main.reset(); }
    void Start(gatewaysim::Options options = {}, QSize size = {}) {
        sim = gatewaysim::StartInProcess(options);
        ASSERT_TRUE(sim);
        main = std::make_unique<CVeskoraRFConfigurationDlg>();
        main->Create();
        main->m_dlgRfConfig.m_listenAddress = QHostAddress::LocalHost;
        main->showNormal();
        if (size.isValid()) main->resize(main->sizeHint().expandedTo(size));
        ASSERT_TRUE(ShowActive(*main));
        flow = std::make_unique<flow::TechnicianFlow>(*main, QStringLiteral("127.0.0.1"), sim->Port());
    }

    PromptRecorder prompts;
    const QDir documents{ids::DocumentsFolder()};  // the test's own (the test main's)
    std::unique_ptr<gatewaysim::GatewayServer> sim;
    std::unique_ptr<CVeskoraRFConfigurationDlg> main;
    std::unique_ptr<flow::TechnicianFlow> flow;
};
