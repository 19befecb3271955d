// The bare client as a process of its own, the floor of a program that is one (the command
// line): started, woken through the pseudo-terminal and ended as the program is.
//
// bench_bare_client DEVICE MAIN TEMP LAPS   exit 0 when every answer came

#include <cstdlib>

#include "BareClient.h"

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    return BareDownload(argv[1], std::atol(argv[2]), std::atol(argv[3]), std::atol(argv[4])) ? 0
                                                                                               : 1;
}
