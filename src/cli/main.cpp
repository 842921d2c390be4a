#include <csignal>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    // A reader that leaves early (kestrun-cli ... | head) must not kill the program before its
    // files are written: a failed write to standard output is reported instead.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    return kestrun::cli::Run(args, std::cout, std::cerr);
}
