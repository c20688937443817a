// Loading "move.csv" from any bytes (see catalogcheck.h for the properties).
#include "krMove.h"
#include "catalog_properties.h"

namespace {
std::string LastText(const kr::TKrMove& entry) { return std::string(entry.Notes); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::CheckCatalogLoad<kr::TKRMoveList>(data, size, 11, LastText);
    return 0;
}
