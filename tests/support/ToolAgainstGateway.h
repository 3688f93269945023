#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "GatewayServer.h"
#include "support/Files.h"

// What one run of the command-line tool gave.
struct ToolRun {
    int exitCode = -1;  // -1 when it did not end normally
    std::string out, err;
};

// The command-line tool as a technician runs it: a process, in a folder of
// the test's own with an ID file, against a simulated gateway in this process
// on a free loopback port.
class ToolAgainstGateway : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Write("ids.xml",
              "<LORAID><Gatewy><GM>FFFFFF</GM><G2A>A00001</G2A><G2B>A00002</G2B></Gatewy><Repeater><R1>"
              "<RM>R00001</RM><R2A>R10001</R2A><R2B>R10002</R2B><R91>R10091</R91><R92>R10092</R92><R93>R10093</R93>"
              "</R1></Repeater></LORAID>");
    }
    void StartGateway(gatewaysim::Options o = {}) {
        o.port = 0;
        o.verbose = false;
        o.nodesPerRepeater = 3;
        sim = std::make_unique<gatewaysim::GatewayServer>(o);
        ASSERT_TRUE(sim->Start());
    }
    std::string Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    void Write(const char* name, const std::string& text) const { std::ofstream(Path(name), std::ios::binary) << text; }

    // The gateway (or, without one, a closed loopback port) and the ID file,
    // as options before the words of a run.
    QStringList GlobalOptions() const {
        return {QStringLiteral("--ids"),     QString::fromStdString(Path("ids.xml")),
                QStringLiteral("--timeout"), QStringLiteral("500"),
                QStringLiteral("--gateway"), QStringLiteral("127.0.0.1:%1").arg(sim ? sim->Port() : 1)};
    }

    // Runs veskora with the global options; the event loop turns, so the
    // gateway answers. whileRunning sees the process and its output so far.
    ToolRun Veskora(const std::vector<std::string>& words,
                    const std::function<void(QProcess&, const ToolRun&)>& whileRunning = nullptr) {
        QStringList args = GlobalOptions();
        for (const std::string& w : words) args << QString::fromStdString(w);
        return Run(QStringLiteral(VESKORA_CLI), args, whileRunning);
    }

    // Runs a program in the test's folder with `environment`.
    ToolRun Run(const QString& program, const QStringList& args,
                const std::function<void(QProcess&, const ToolRun&)>& whileRunning = nullptr) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessEnvironment(environment);
        process.start(program, args);
        ToolRun run;
        const QDeadlineTimer deadline(60000);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            run.out += process.readAllStandardOutput().toStdString();
            run.err += process.readAllStandardError().toStdString();
            if (whileRunning) whileRunning(process, run);
            process.waitForFinished(1);
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out += process.readAllStandardOutput().toStdString();
        run.err += process.readAllStandardError().toStdString();
        return run;
    }

    // Every byte the gateway got from the runs so far. A line sent on a new
    // connection, which the gateway takes only once the runs' links are gone,
    // marks the end, and is not part of the result.
    std::string AllReceived() {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, sim->Port());
        if (!probe.waitForConnected(3000)) return "(no connection for the end mark)";
        const std::string mark = "$end";
        probe.write(mark.data(), qint64(mark.size()));
        const auto ended = [&] {
            const std::string& got = sim->Received();
            return got.size() >= mark.size() && got.compare(got.size() - mark.size(), mark.size(), mark) == 0;
        };
        if (!QTest::qWaitFor(ended, 3000)) return "(the end mark never arrived)";
        return sim->Received().substr(0, sim->Received().size() - mark.size());
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }

    QTemporaryDir dir;
    std::unique_ptr<gatewaysim::GatewayServer> sim;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};
