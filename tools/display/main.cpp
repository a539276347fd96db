// stratavue-display: the display-file commands of stratavue-cli, in a program of their own because
// they need the display layer. stratavue-cli hands "display ..." over to it.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");  // channel values are always read and written with C rules
    svu::cli::SetDisplayRunner(svu::cli::RunDisplay);
    return svu::cli::Main(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
