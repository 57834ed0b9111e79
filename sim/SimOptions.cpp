#include "SimOptions.h"

#include <charconv>
#include <cstdio>

#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "protocol/ReplyGrammar.h"

namespace vg28::sim {

namespace {

bool ToInt(const std::string& text, long long low, long long high, long long& value) {
    long long parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ToVersion(const std::string& text, std::uint32_t& version) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    version = a << 24 | b << 16 | c << 8 | d;
    return true;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parts;
}

}  // namespace

const char* SimOptions::Usage() {
    return "usage: vg28-sim [--link PATH] [--instruments NAME[:ADDR][,NAME[:ADDR]...]]\n"
           "                [--no-modem] [--no-module] [--soil-probe] [--firmware A.B.C.D]\n"
           "                [--mode NAME] [--records N] [--period SECONDS] [--clock-offset S]\n"
           "                [--project NAME] [--seed N] [--em50] [--em50-records N]\n"
           "                [--em50-ports T1,T2,T3,T4,T5] [--em50-battery MV]\n"
           "                [--noise P] [--lost P] [--late P] [--echo P] [--foreign P]\n"
           "                [--garbage P] [--fault-seed N] [--verbose]\n"
           "Serves the simulated VG-28 instrument on a pseudo-terminal and prints its path.\n"
           "--instruments puts several named instruments on one radio line: each answers only\n"
           "its own \":NAME;\" prefix, and only while the modem has dialled its radio address\n"
           "ADDR (decimal, as \"xsaddr\" in net.xcfg; default its place in the list, 1, 2, ...).\n"
           "Each has a project of its own, the --project name followed by its place (Demo1,\n"
           "Demo2, ...), and records of its own. Without it one instrument sits on a direct\n"
           "cable.\n"
           "Fault rates P are per mille of the replies.\n";
}

bool SimOptions::Parse(const std::vector<std::string>& args, std::string& error) {
    SimInstrumentConfig instrument;
    std::vector<std::string> names;
    std::vector<std::uint16_t> addresses;
    bool em50 = false;
    SimEm50Config em50Config;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = option + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](long long low, long long high, long long& out) {
            std::string text;
            if (!value(text)) return false;
            if (!ToInt(text, low, high, out)) {
                error = "bad value for " + option + ": " + text;
                return false;
            }
            return true;
        };
        std::string text;
        long long n = 0;
        if (option == "--link") {
            if (!value(linkPath)) return false;
        } else if (option == "--instruments") {
            if (!value(text)) return false;
            names.clear();
            addresses.clear();
            for (const std::string& item : Split(text)) {
                std::string typed = item;
                long long address = static_cast<long long>(names.size()) + 1;
                const std::size_t colon = item.rfind(':');
                if (colon != std::string::npos) {
                    typed = item.substr(0, colon);
                    if (!ToInt(item.substr(colon + 1), 1, 65535, address)) {
                        error = "bad radio address: " + item;
                        return false;
                    }
                }
                // Typed in UTF-8; the instrument knows its name in CP1251, as the prefix of
                // every command reaches it.
                const std::string name = TextCodec::Utf8ToCp1251(typed);
                if (!TextCodec::FitsCp1251(typed) || name.empty() || name.size() > 31 ||
                    name.find(';') != std::string::npos) {
                    error = "bad instrument name: " + typed;
                    return false;
                }
                names.push_back(name);
                addresses.push_back(static_cast<std::uint16_t>(address));
            }
        } else if (option == "--no-modem") {
            network.modem = false;
        } else if (option == "--no-module") {
            instrument.module = false;
        } else if (option == "--soil-probe") {
            instrument.soilProbe = true;
        } else if (option == "--firmware") {
            if (!value(text)) return false;
            if (!ToVersion(text, instrument.firmware)) {
                error = "bad firmware version: " + text;
                return false;
            }
        } else if (option == "--mode") {
            if (!value(text)) return false;
            instrument.mode = ModeIndexOf(TextCase::UpperAscii(text));
            if (instrument.mode < 0) {
                error = "unknown mode: " + text;
                return false;
            }
        } else if (option == "--records") {
            if (!number(0, 20000, n)) return false;
            instrument.records = static_cast<int>(n);
        } else if (option == "--period") {
            if (!number(1, 86400, n)) return false;
            instrument.period = static_cast<int>(n);
        } else if (option == "--clock-offset") {
            if (!number(-400000000LL, 400000000LL, n)) return false;
            instrument.clockOffset = static_cast<int>(n);
        } else if (option == "--project") {
            std::string typed;
            if (!value(typed)) return false;
            // Typed in UTF-8; the instrument holds the name in CP1251.
            if (!TextCodec::FitsCp1251(typed)) {
                error = "project name with characters CP1251 cannot hold: " +
                        TextCodec::CharactersOutsideCp1251(typed);
                return false;
            }
            instrument.project = TextCodec::Utf8ToCp1251(typed);
            if (instrument.project.size() > 31) {
                error = "project name longer than 31 characters";
                return false;
            }
        } else if (option == "--seed") {
            if (!number(0, 0xFFFFFFFFLL, n)) return false;
            instrument.seed = static_cast<std::uint32_t>(n);
        } else if (option == "--em50") {
            em50 = true;
        } else if (option == "--em50-records") {
            if (!number(0, 100000, n)) return false;
            em50 = true;
            em50Config.records = static_cast<int>(n);
        } else if (option == "--em50-battery") {
            if (!number(0, 100000, n)) return false;
            em50 = true;
            em50Config.battery = static_cast<int>(n);
        } else if (option == "--em50-ports") {
            if (!value(text)) return false;
            const std::vector<std::string> parts = Split(text);
            if (parts.size() != 5) {
                error = "--em50-ports needs five type codes";
                return false;
            }
            for (std::size_t p = 0; p < 5; ++p) {
                if (!ToInt(parts[p], 0, 255, n)) {
                    error = "bad port type: " + parts[p];
                    return false;
                }
                em50Config.ports[p] = static_cast<int>(n);
            }
            em50 = true;
        } else if (option == "--fault-seed") {
            if (!number(0, 0xFFFFFFFFLL, n)) return false;
            network.faultSeed = static_cast<std::uint32_t>(n);
        } else if (option == "--verbose") {
            verbose = true;
        } else if (option.size() > 2 && FaultFromName(option.substr(2))) {
            if (!number(0, 1000, n)) return false;
            network.faults.perMille[static_cast<std::size_t>(*FaultFromName(option.substr(2)))] =
                static_cast<int>(n);
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    int total = 0;
    for (int rate : network.faults.perMille)
        total += rate;
    if (total > 1000) {
        error = "the fault rates add up to more than 1000 per mille";
        return false;
    }
    if (em50) {
        instrument.em50 = em50Config;
        instrument.em50Flag = true;
    }
    network.instruments.clear();
    if (names.empty()) {
        network.instruments.push_back(instrument);
    } else {
        std::uint32_t seed = instrument.seed;
        int serial = 115;
        for (std::size_t i = 0; i < names.size(); ++i) {
            SimInstrumentConfig named = instrument;
            named.name = names[i];
            named.radioAddress = addresses[i];
            named.seed = seed++;
            named.identification = "VG28-" + std::to_string(100000 + serial++).substr(1);
            named.project = instrument.project + std::to_string(i + 1);
            if (named.project.size() > 31) {
                error = "project name and instrument number longer than 31 characters";
                return false;
            }
            network.instruments.push_back(named);
        }
    }
    return true;
}

}  // namespace vg28::sim
