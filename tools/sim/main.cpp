#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << "Usage: stratavue-sim INSTRUMENT [OPTIONS]\n\nInstrument simulators on pseudo-terminals.\n";
        return 0;
    }
    std::cerr << "stratavue-sim: no instrument named (see --help)\n";
    return 2;
}
