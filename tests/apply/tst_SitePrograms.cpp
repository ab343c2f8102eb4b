// What a site does around its apply, over the simulated service with real programs: the program
// of the site left and of the site applied, their arguments and environment, their time limit,
// the organisation's rules, and the checks that take a change back.
#include "ExampleNetwork.h"
#include "apply/ApplyResult.h"
#include "apply/ApplyRun.h"
#include "apply/SitePrograms.h"
#include "net/CommandText.h"
#include "net/sim/SimulatedService.h"

#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <fstream>

using namespace lanvex;

namespace {

struct Recorder : apply::ApplyListener
{
    void Status(const std::string&) override { }
    void Applied(const apply::ApplyOutcome&, Next) override { }
};

// A program that records each run as one JSON line: its arguments, the LANVEX_ variables and how
// many calls the simulated service had logged by then.
constexpr const char* kRecorder = R"(import json, os, sys
calls = len(json.load(open(os.environ["NETWORK"])).get("calls", []))
env = {k: v for k, v in os.environ.items() if k.startswith("LANVEX_")}
with open(os.environ["RECORD"], "a") as out:
    out.write(json.dumps({"args": sys.argv[1:], "env": env, "calls": calls}) + "\n")
)";

// A program that starts a child, says its number, and outlives any time limit.
constexpr const char* kStubborn = R"(import os, subprocess, sys, time
child = subprocess.Popen(["sleep", "60"])
with open(os.environ["RECORD"], "w") as out:
    out.write(str(child.pid))
time.sleep(60)
)";

class Programs
{
public:
    explicit Programs(const Network& network)
    {
        write("record.py", kRecorder);
        write("stubborn.py", kStubborn);
        qputenv("NETWORK", QByteArray::fromStdString(network.Path()));
        qputenv("RECORD", QByteArray::fromStdString(Path("runs.jsonl")));
    }
    std::string Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)).toStdString(); }
    std::vector<nlohmann::json> Runs() const
    {
        std::vector<nlohmann::json> runs;
        std::ifstream in(Path("runs.jsonl"));
        for (std::string line; std::getline(in, line);)
            runs.push_back(nlohmann::json::parse(line));
        return runs;
    }

private:
    void write(const char* name, const char* text) { std::ofstream(Path(name)) << text; }
    QTemporaryDir m_dir;
};

// The sites of the list: "Home" holds the example adapter's settings, so it is live before the apply.
std::shared_ptr<const store::SiteListModel> sitesWithHome(const std::string& runOnLeave)
{
    store::SiteProfile home;
    home.Name = "Home";
    home.IP = "192.168.1.10";
    home.SubNetMask = "255.255.255.0";
    home.DefaultGateway = "192.168.1.1";
    home.Extras.RunOnLeave = runOnLeave;
    store::SiteListModel model;
    model.SiteProfiles = { store::SiteProfile(), home, OfficeSite() };
    model.SiteNames = { "", "Home", "Office" };
    model.SiteCount = 3;
    return apply::SitesWithLeavePrograms(model);
}

apply::ApplyRunResult run(const Network& network, apply::ApplyRequest request)
{
    net::sim::SimulatedConnector connector(network.Path());
    net::sim::SimulatedPrinters printers(network.Path());
    Recorder recorder;
    return apply::RunApply(connector, printers, request, recorder, nullptr);
}

bool processGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.open(QIODevice::ReadOnly) && stat.readAll().split(' ').value(2) == "Z";
}

apply::ApplyRequest requestFor(store::SiteProfile site)
{
    apply::ApplyRequest request;
    request.site = std::move(site);
    return request;
}

} // namespace

class TestSitePrograms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandTextSplitsLikeWindows()
    {
        using Args = std::vector<std::string>;
        QCOMPARE(net::SplitCommandText("python3 act.py \"two words\" x;y $HOME"),
                 (Args { "python3", "act.py", "two words", "x;y", "$HOME" }));
        QCOMPARE(net::SplitCommandText("  \"C:\\Program Files\\vpn.exe\"  say \\\"hi\\\" a\\\\b \"c\\\\\" %PATH%"),
                 (Args { "C:\\Program Files\\vpn.exe", "say", "\"hi\"", "a\\\\b", "c\\", "%PATH%" }));
        QCOMPARE(net::SplitCommandText("tool \"open to the end"), (Args { "tool", "open to the end" }));
        QVERIFY(net::SplitCommandText("  \t ").empty());
    }

    // The program of the site left runs first, before any change; the site's own runs last, with
    // its arguments as written and never a shell's reading of them.
    void programsAroundTheApply()
    {
        const Network network;
        const Programs programs(network);
        apply::ApplyRequest request = requestFor(OfficeSite());
        request.site.Extras.RunOnApply = "python3 " + programs.Path("record.py") + " \"two words\" x;y $HOME";
        request.sites = sitesWithHome("python3 " + programs.Path("record.py") + " leaving");
        const apply::ApplyRunResult result = run(network, request);

        QCOMPARE(result.ExitCode(), 0);
        const std::vector<nlohmann::json> runs = programs.Runs();
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[0]["calls"].get<int>(), 0);
        QCOMPARE(runs[0]["args"].dump(), nlohmann::json({ "leaving" }).dump());
        const nlohmann::json leaving = { { "LANVEX_EVENT", "leave" },
                                         { "LANVEX_SITE", "Home" },
                                         { "LANVEX_ADAPTER", "enp0s31f6" },
                                         { "LANVEX_RESULT", "0" } };
        QCOMPARE(runs[0]["env"].dump(), leaving.dump());
        QCOMPARE(runs[1]["calls"].get<int>(), 3);
        QCOMPARE(runs[1]["args"].dump(), nlohmann::json({ "two words", "x;y", "$HOME" }).dump());
        QCOMPARE(runs[1]["env"]["LANVEX_EVENT"].get<std::string>(), "apply");
        QCOMPARE(runs[1]["env"]["LANVEX_SITE"].get<std::string>(), "Office");
        QCOMPARE(runs[1]["env"]["LANVEX_RESULT"].get<std::string>(), "0");
    }

    // A failed apply runs no program of its own; the site left was left all the same.
    void noProgramAfterAFailedApply()
    {
        const Network network(nlohmann::json { { "EnableStatic", 70 } });
        const Programs programs(network);
        apply::ApplyRequest request = requestFor(OfficeSite());
        request.site.Extras.RunOnApply = "python3 " + programs.Path("record.py") + " applied";
        request.sites = sitesWithHome("python3 " + programs.Path("record.py") + " leaving");
        const apply::ApplyRunResult result = run(network, request);

        QCOMPARE(result.ExitCode(), 1);
        const std::vector<nlohmann::json> runs = programs.Runs();
        QCOMPARE(runs.size(), std::size_t(1));
        QCOMPARE(runs[0]["args"].dump(), nlohmann::json({ "leaving" }).dump());
    }

    // A program past its time is ended with what it started, and the apply says so.
    void programPastItsTimeEndsWithItsChildren()
    {
        const Network network;
        const Programs programs(network);
        apply::ApplyRequest request = requestFor(OfficeSite());
        request.site.Extras.RunOnApply = "python3 " + programs.Path("stubborn.py");
        request.site.Extras.RunTimeout = "3";
        const apply::ApplyRunResult result = run(network, request);

        QCOMPARE(result.applied.Result, apply::kProgramFailed);
        QCOMPARE(result.ExitCode(), 1);
        QVERIFY2(result.summary.find("3秒") != std::string::npos, result.summary.c_str());
        std::ifstream pidFile(programs.Path("runs.jsonl"));
        pid_t child = 0;
        QVERIFY(pidFile >> child);
        // Ended, and reaped by whoever adopted it (or left a zombie there), within a moment.
        QTRY_VERIFY_WITH_TIMEOUT(processGone(child), 3000);
    }

    // An organisation's site runs a program only from a file only administrators change, and only
    // by its full path; a refused program is named and the apply goes on.
    void organisationPrograms_data()
    {
        QTest::addColumn<int>("origin");
        QTest::addColumn<bool>("fullPath");
        QTest::addColumn<bool>("runs");
        QTest::newRow("own, by name") << int(apply::SiteOrigin::Own) << false << true;
        QTest::newRow("protected file, full path") << int(apply::SiteOrigin::Organisation) << true << true;
        QTest::newRow("protected file, by name") << int(apply::SiteOrigin::Organisation) << false << false;
        QTest::newRow("unprotected file") << int(apply::SiteOrigin::UnprotectedOrganisation) << true << false;
    }
    void organisationPrograms()
    {
        QFETCH(int, origin);
        QFETCH(bool, fullPath);
        QFETCH(bool, runs);
        const Network network;
        const Programs programs(network);
        const std::string python
            = fullPath ? QStandardPaths::findExecutable(QStringLiteral("python3")).toStdString() : "python3";
        apply::ApplyRequest request = requestFor(OfficeSite());
        request.site.Extras.RunOnApply = python + " " + programs.Path("record.py");
        request.origin = static_cast<apply::SiteOrigin>(origin);
        const apply::ApplyRunResult result = run(network, request);

        QCOMPARE(programs.Runs().size(), std::size_t(runs ? 1 : 0));
        QCOMPARE(result.applied.Result, runs ? 0 : apply::kProgramFailed);
        QCOMPARE(network.Calls().size(), std::size_t(3)); // the settings applied either way
    }

    // The checks run through the service after the changes; one that fails takes them back before
    // the site's program could run; values that name no check are skipped, never probed.
    void verification_data()
    {
        QTest::addColumn<QString>("verifyTCP");
        QTest::addColumn<QString>("verifyDNS");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("calls");
        const QStringList changes { "1 ProbeAddress 172.20.0.9", "1 EnableStatic 172.20.0.9",
                                    "1 SetGateways 172.20.0.1" };
        const QStringList restore { "1 EnableStatic 192.168.1.10", "1 SetGateways 192.168.1.1",
                                    "1 SetDNSServerSearchOrder 192.168.1.53" };
        QTest::newRow("all answer") << "intranet:443"
                                    << "intranet.corp=10.1.1.5" << 0
                                    << changes + QStringList { "1 Probe gateway", "1 Probe tcp", "1 Probe dns" };
        QTest::newRow("a port closed") << "intranet:443,intranet:8443"
                                       << "" << int(apply::kVerifyFailed)
                                       << changes + QStringList { "1 Probe gateway", "1 Probe tcp", "1 Probe tcp" }
                + restore;
        QTest::newRow("another address") << ""
                                         << "intranet.corp=10.1.1.6" << int(apply::kVerifyFailed)
                                         << changes + QStringList { "1 Probe gateway", "1 Probe dns" } + restore;
        QTest::newRow("values that are no check")
            << "host,intranet:65536"
            << "=10.1.1.5" << int(apply::kExtraValueSkipped) << changes + QStringList { "1 Probe gateway" };
    }
    void verification()
    {
        QFETCH(QString, verifyTCP);
        QFETCH(QString, verifyDNS);
        QFETCH(int, result);
        QFETCH(QStringList, calls);
        const Network network;
        nlohmann::json doc = network.Read();
        doc["adapters"][0]["Reachable"] = { "intranet:443" };
        doc["adapters"][0]["Resolves"] = { { "intranet.corp", "10.1.1.5" } };
        network.Write(doc);
        const Programs programs(network);
        apply::ApplyRequest request = requestFor(OfficeSite());
        request.site.Extras.VerifyTCP = verifyTCP.toStdString();
        request.site.Extras.VerifyDNS = verifyDNS.toStdString();
        request.site.Extras.VerifyGateway = "1";
        request.site.Extras.RunOnApply = "python3 " + programs.Path("record.py");
        const apply::ApplyRunResult outcome = run(network, request);

        QCOMPARE(outcome.applied.Result, result);
        QStringList made;
        for (const std::string& call : network.Calls())
            made << QString::fromStdString(call).trimmed();
        QCOMPARE(made, calls);
        const bool failed = result == apply::kVerifyFailed;
        QCOMPARE(outcome.restored.has_value(), failed);
        QCOMPARE(outcome.ExitCode(), result == 0 ? 0 : 1);
        QCOMPARE(programs.Runs().size(), std::size_t(failed ? 0 : 1));
        if (failed)
            QVERIFY2(outcome.summary.find("intranet") != std::string::npos, outcome.summary.c_str());
    }
};

QTEST_GUILESS_MAIN(TestSitePrograms)
#include "tst_SitePrograms.moc"
