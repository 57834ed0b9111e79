// vg28-mkcat: builds the sensor database file "sensors.dat" from the readable catalogue, or
// writes a database back as catalogue text. Any problem is reported on standard error with the
// catalogue's file name and line, and gives exit status 1; bad usage gives 64.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "sensors/SensorCatalogue.h"
#include "sensors/SensorDatabase.h"

namespace {

constexpr int kExitProblem = 1;
constexpr int kExitUsage = 64;

int Usage() {
    std::cerr << "usage: vg28-mkcat CATALOGUE.txt OUTPUT.dat\n"
                 "       vg28-mkcat --dump DATABASE.dat [OUTPUT.txt]\n";
    return kExitUsage;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return !in.bad();
}

int Build(const std::string& cataloguePath, const std::string& outputPath) {
    std::string text;
    if (!ReadWholeFile(cataloguePath, text)) {
        std::cerr << cataloguePath << ": error: cannot read the catalogue\n";
        return kExitProblem;
    }
    const vg28::SensorCatalogue::ParseResult parsed = vg28::SensorCatalogue::Parse(text);
    if (!parsed.Ok()) {
        std::cerr << cataloguePath << ":" << parsed.errorLine << ": error: " << parsed.error
                  << "\n";
        return kExitProblem;
    }
    if (parsed.records.empty()) {
        // The program refuses a database without records, so never ship one.
        std::cerr << cataloguePath << ": error: the catalogue holds no sensor\n";
        return kExitProblem;
    }
    vg28::SensorDatabase database;
    database.ReplaceAll(parsed.records);
    if (!database.Save(outputPath)) {
        std::cerr << outputPath << ": error: cannot write the sensor database\n";
        return kExitProblem;
    }
    std::cout << "vg28-mkcat: " << parsed.records.size() << " sensors written to " << outputPath
              << "\n";
    return 0;
}

int Dump(const std::string& databasePath, const std::string& outputPath) {
    vg28::SensorDatabase database;
    if (!database.Load(databasePath)) {
        std::cerr << databasePath << ": error: not a readable sensor database\n";
        return kExitProblem;
    }
    const std::string text = vg28::SensorCatalogue::Write(database.Records());
    if (outputPath.empty()) {
        std::cout << text;
        return std::cout.good() ? 0 : kExitProblem;
    }
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << outputPath << ": error: cannot write the catalogue\n";
        return kExitProblem;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--dump") {
        if (argc != 3 && argc != 4) return Usage();
        return Dump(argv[2], argc == 4 ? argv[3] : "");
    }
    if (argc != 3 || argv[1][0] == '-') return Usage();
    return Build(argv[1], argv[2]);
}
