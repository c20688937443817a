// Where the benchmark programs find the generated fixtures.
#pragma once

#include "fixtures.h"

#include <cstdlib>
#include <filesystem>

namespace krbench {

// The fixture tree in the build folder, written by make_fixtures.
inline std::filesystem::path Fixtures() { return KR_BENCH_FIXTURES; }

}  // namespace krbench
