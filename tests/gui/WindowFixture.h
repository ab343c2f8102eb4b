#pragma once

#include "WindowTestSupport.h"
#include "gui/MainWindow.h"
#include "net/sim/SimulatedService.h"

#include <memory>

namespace lanvex::gui::test {

// The window over a simulated network, with its sites written to a settings file of its own.
struct WindowFixture
{
    TestFolder folder;
    std::string network; // the simulated service's file
    net::sim::SimulatedConnector connector;
    net::sim::SimulatedPrinters printers;
    RecordingMessages messages;
    MainWindow window;

    WindowFixture(const std::vector<store::SiteProfile>& sites, const QJsonArray& adapters)
        : network(Prepare(folder, sites, adapters))
        , connector(network)
        , printers(network)
        , window(connector, printers, messages)
    {
        if (!WaitForService(window))
            qFatal("the window's start-up query did not end");
    }

private:
    static std::string Prepare(const TestFolder& folder, const std::vector<store::SiteProfile>& sites,
                               const QJsonArray& adapters)
    {
        folder.WriteSites(sites);
        return folder.WriteNetwork(Network(adapters));
    }
};

} // namespace lanvex::gui::test
