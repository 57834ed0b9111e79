// vg28-sim: the simulated VG-28 instrument (with its radio modem, further instruments and an
// Em50 logger) served on a pseudo-terminal, so that the terminal's real serial code talks to it.

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "PtyServer.h"
#include "SimNetwork.h"
#include "SimOptions.h"
#include "platform/Clock.h"

namespace {

vg28::sim::PtyServer* g_server = nullptr;

void OnSignal(int) {
    if (g_server) g_server->Stop();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vg28;
    sim::SimOptions options;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << sim::SimOptions::Usage();
            return 0;
        }
        if (arg == "--version") {
            std::cout << "vg28-sim " << VG28_VERSION << '\n';
            return 0;
        }
    }
    std::string error;
    if (!options.Parse(args, error)) {
        std::cerr << "vg28-sim: " << error << '\n' << sim::SimOptions::Usage();
        return 2;
    }

    sim::PtyServer server;
    if (!server.Open(error)) {
        std::cerr << "vg28-sim: " << error << '\n';
        return 1;
    }
    if (!options.linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(options.linkPath, ec);
        std::filesystem::create_symlink(server.SlavePath(), options.linkPath, ec);
        if (ec) {
            std::cerr << "vg28-sim: cannot link " << options.linkPath << ": " << ec.message()
                      << '\n';
            return 1;
        }
    }

    Clock& clock = Clock::System();
    sim::SimNetwork network(options.network, clock);
    std::cout << server.SlavePath() << std::endl;

    g_server = &server;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::size_t logged = 0;
    while (!server.Stopped()) {
        server.Step(network, clock, 200);
        if (!options.verbose) continue;
        for (; logged < network.Requests().size(); ++logged) {
            std::cerr << "> " << network.Requests()[logged] << '\n';
        }
    }
    if (!options.linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(options.linkPath, ec);
    }
    return 0;
}
