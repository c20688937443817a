// Loading "option.csv" from any bytes (see catalogcheck.h for the properties).
#include "krOption.h"
#include "catalog_properties.h"

namespace {
std::string LastText(const kr::TKrOption& entry) { return std::string(entry.Effect); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::CheckCatalogLoad<kr::TKROptionList>(data, size, 14, LastText);
    return 0;
}
