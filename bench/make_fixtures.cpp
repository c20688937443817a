// Writes the benchmark fixtures into the folder given as the argument.
#include "fixtures.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fixtures FOLDER\n");
        return 2;
    }
    try {
        krbench::WriteFixtureTree(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_fixtures: %s\n", error.what());
        return 1;
    }
    return 0;
}
