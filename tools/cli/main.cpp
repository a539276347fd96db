#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");  // channel values are always read and written with C rules
    try {
        return svu::cli::Main(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "stratavue-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "stratavue-cli: unexpected failure\n";
    }
    return svu::cli::kExitFailure;
}
