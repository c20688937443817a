// Loading "weapon.csv" from any bytes (see catalogcheck.h for the properties).
#include "krWeapon.h"
#include "catalog_properties.h"

namespace {
std::string LastText(const kr::TKrWeapon& entry) { return std::string(entry.Notes); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::CheckCatalogLoad<kr::TKRWeaponList>(data, size, 18, LastText);
    return 0;
}
