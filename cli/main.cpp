#include "cli/HaldenCli.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    halden::HaldenCli cli(std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    return cli.run(std::vector<std::string>(argv + 1, argv + argc));
}
