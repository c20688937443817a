#include "krWeapon.h"

#include "codec.h"

namespace kr {

static_assert(DescribeColumns<TKrWeapon>().size() == 19, "weapon.csv has 19 columns");

void CatalogTraits<TKrWeapon>::Fill(TKrWeapon& entry, CatalogFields& fields) { FillEntry(entry, fields); }

bool IsFollowUpName(std::string_view name) {
    static const std::string mark = Sjis("└");
    return name.substr(0, mark.size()) == mark;
}

}  // namespace kr
