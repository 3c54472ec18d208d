#include "HaldenCli.h"

#include <iostream>

int main(int argc, char** argv) {
    halden::HaldenCli cli(std::cout, std::cerr);
    return cli.run(std::vector<std::string>(argv + 1, argv + argc));
}
