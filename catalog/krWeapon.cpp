#include "krWeapon.h"

namespace kr {

static_assert(DescribeColumns<TKrWeapon>().size() == 19, "weapon.csv has 19 columns");

void CatalogTraits<TKrWeapon>::Fill(TKrWeapon& entry, CatalogFields& fields) { FillEntry(entry, fields); }

}  // namespace kr
