// One run as every front end starts it, over the simulated service, whose file shows every call:
// the adapter the run chooses, and what it keeps or takes back for each answer.
#include "ExampleNetwork.h"
#include "apply/AdapterChoice.h"
#include "apply/ApplyResult.h"
#include "apply/ApplyRun.h"
#include "net/sim/SimulatedService.h"

#include <QTest>

using namespace lanvex;
using Answer = apply::KeepQuestion::Answer;
using Next = apply::ApplyListener::Next;

namespace {

struct Recorder : apply::ApplyListener
{
    std::vector<Next> applied;
    void Status(const std::string&) override { }
    void Applied(const apply::ApplyOutcome&, Next next) override { applied.push_back(next); }
};

// Answers as the user would; `asked` tells whether the run asked at all.
struct ScriptedQuestion : apply::KeepQuestion
{
    Answer answer = Answer::Kept;
    bool asked = false;
    Answer Wait(std::uint32_t, const std::function<bool()>& keep) override
    {
        asked = true;
        return answer == Answer::Kept && !keep() ? Answer::TooLate : answer;
    }
};

store::SiteProfile office()
{
    store::SiteProfile site = OfficeSite();
    site.ChangeDNS = true;
    site.DNS = "172.20.0.53";
    return site;
}

apply::ApplyRequest requestFor(store::SiteProfile site, std::int32_t defaultAdapter, std::uint32_t keepSeconds)
{
    apply::ApplyRequest request;
    request.site = std::move(site);
    request.defaultAdapter = defaultAdapter;
    request.keepSeconds = keepSeconds;
    return request;
}

apply::ApplyRunResult run(const Network& network, apply::ApplyRequest request, Recorder& recorder,
                          apply::KeepQuestion* question = nullptr)
{
    net::sim::SimulatedConnector connector(network.Path());
    net::sim::SimulatedPrinters printers(network.Path());
    return apply::RunApply(connector, printers, request, recorder, question);
}

const std::vector<std::string> kOfficeCalls = { "1 ProbeAddress 172.20.0.9", "1 EnableStatic 172.20.0.9",
                                                "1 SetGateways 172.20.0.1", "1 SetDNSServerSearchOrder 172.20.0.53" };
const std::vector<std::string> kRestoreCalls
    = { "1 EnableStatic 192.168.1.10", "1 SetGateways 192.168.1.1", "1 SetDNSServerSearchOrder 192.168.1.53" };

} // namespace

class TestApplyRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One rule names the adapter, whether --adapter names it or the site's Adapter key does.
    void adapterChoice_data()
    {
        QTest::addColumn<QString>("adapter"); // --adapter; empty: not given
        QTest::addColumn<QString>("binding"); // the site's Adapter key
        QTest::addColumn<int>("index"); // where the calls went; 0: none
        QTest::addColumn<int>("exitCode");
        QTest::newRow("default") << ""
                                 << "" << 1 << 0;
        QTest::newRow("number") << "2"
                                << "" << 2 << 0;
        QTest::newRow("interface name") << "enp0s31f6"
                                        << "" << 1 << 0;
        QTest::newRow("MAC, any case and separator") << "00-e0-4c-68-01-02"
                                                     << "" << 2 << 0;
        QTest::newRow("GUID without braces") << "6f1e2d3c-0000-4a5b-9c8d-7e6f5a4b3c2d"
                                             << "" << 2 << 0;
        QTest::newRow("bound by GUID") << ""
                                       << "{6f1e2d3c-0000-4a5b-9c8d-7e6f5a4b3c2d}" << 2 << 0;
        QTest::newRow("--adapter before the binding") << "1"
                                                      << "00:E0:4C:68:01:02" << 1 << 0;
        QTest::newRow("bound adapter absent") << ""
                                              << "00:11:22:33:44:99" << 0 << 1;
        QTest::newRow("unknown name") << "eth9"
                                      << "" << 0 << 2;
        QTest::newRow("no such number") << "3"
                                        << "" << 0 << 1;
        QTest::newRow("number too large") << "99999999999"
                                          << "" << 0 << 1;
    }
    void adapterChoice()
    {
        QFETCH(QString, adapter);
        QFETCH(QString, binding);
        QFETCH(int, index);
        QFETCH(int, exitCode);
        Network network;
        apply::ApplyRequest request = requestFor(office(), 1, 0);
        request.site.Extras.Adapter = binding.toStdString();
        if (!adapter.isEmpty())
            request.adapter = adapter.toStdString();
        Recorder recorder;
        const apply::ApplyRunResult result = run(network, request, recorder);
        QCOMPARE(result.ExitCode(), exitCode);
        const std::vector<std::string> calls = network.Calls();
        QCOMPARE(calls.empty(), index == 0);
        for (const std::string& call : calls)
            QCOMPARE(call.substr(0, 2), std::to_string(index) + ' ');
        // A refusal is said by the front end; every other end has an outcome.
        QCOMPARE(recorder.applied.size(), std::size_t(result.refusal == apply::Refusal::None ? 1 : 0));
    }

    // The forms an adapter may be named in, which the editor checks before a site is saved.
    void adapterForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("form");
        QTest::newRow("number") << "2" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("number too large") << "99999999999" << false;
        QTest::newRow("MAC") << "00-e0-4c-68-01-02" << true;
        QTest::newRow("MAC short") << "00:e0:4c:68:01" << false;
        QTest::newRow("GUID") << "6f1e2d3c-0000-4a5b-9c8d-7e6f5a4b3c2d" << true;
        QTest::newRow("GUID in braces") << "{6F1E2D3C-0000-4A5B-9C8D-7E6F5A4B3C2D}" << true;
        QTest::newRow("GUID short") << "{6f1e2d3c-0000-4a5b-9c8d-7e6f5a4b3c2}" << false;
        QTest::newRow("interface") << "enp0s31f6" << true;
        QTest::newRow("hex-looking name") << "cafe" << true;
        QTest::newRow("name too long") << "enp0s31f6abcdefg" << false;
        QTest::newRow("blank") << "eth 0" << false;
        QTest::newRow("slash") << "eth/0" << false;
    }
    void adapterForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, form);
        QCOMPARE(apply::CanNameAdapter(text.toStdString()), form);
    }

    // A change that waits: kept, or taken back by the calls that set the settings from before.
    void keepOrRestore_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("restored");
        QTest::newRow("kept") << int(Answer::Kept) << false;
        QTest::newRow("restore asked") << int(Answer::RestoreAsked) << true;
        QTest::newRow("timed out") << int(Answer::TimedOut) << true;
        QTest::newRow("interrupted") << int(Answer::Interrupted) << true;
        QTest::newRow("front end gone") << int(Answer::Abandoned) << false;
    }
    void keepOrRestore()
    {
        QFETCH(int, answer);
        QFETCH(bool, restored);
        Network network;
        ScriptedQuestion question;
        question.answer = static_cast<Answer>(answer);
        Recorder recorder;
        // Bound to adapter 1, so the way back is taken from the read that found the adapter.
        store::SiteProfile bound = office();
        bound.Extras.Adapter = "00:1a:2b:3c:4d:5e";
        const apply::ApplyRunResult result = run(network, requestFor(bound, 2, 30), recorder, &question);
        QVERIFY(question.asked);
        QCOMPARE(recorder.applied, std::vector<Next> { Next::AskToKeep });
        std::vector<std::string> calls = kOfficeCalls;
        if (restored)
            calls.insert(calls.end(), kRestoreCalls.begin(), kRestoreCalls.end());
        QCOMPARE(network.Calls(), calls);
        QCOMPARE(result.restored.has_value(), restored);
        QCOMPARE(result.ExitCode(), restored ? 1 : 0);
        if (restored)
            QVERIFY2(result.restoreSummary.rfind("已恢复网卡之前的设置：IP地址 192.168.1.10", 0) == 0,
                     result.restoreSummary.c_str());
    }

    // A failed apply that may have changed something is taken back at once, without asking; one
    // that changed nothing is left alone.
    void failuresAreNotAsked()
    {
        Network failing(nlohmann::json { { "SetDNSServerSearchOrder", 70 } });
        ScriptedQuestion question;
        Recorder recorder;
        apply::ApplyRunResult result = run(failing, requestFor(office(), 1, 600), recorder, &question);
        QVERIFY(!question.asked);
        QCOMPARE(recorder.applied, std::vector<Next> { Next::Restore });
        QCOMPARE(failing.Calls().size(), kOfficeCalls.size() + kRestoreCalls.size());
        QCOMPARE(result.ExitCode(), 1);

        Network unchanged;
        Recorder nothing;
        result = run(unchanged, requestFor(office(), 3, 600), nothing, &question);
        QVERIFY(!question.asked);
        QCOMPARE(nothing.applied, std::vector<Next> { Next::Done });
        QCOMPARE(result.applied.Result, apply::kAdapterNotFound);
        QVERIFY(unchanged.Calls().empty());
    }
};

QTEST_GUILESS_MAIN(TestApplyRun)
#include "tst_ApplyRun.moc"
