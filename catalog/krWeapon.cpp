#include "krWeapon.h"

namespace kr {

void CatalogTraits<TKrWeapon>::Fill(TKrWeapon& entry, CatalogFields& fields) {
    // The fields in the order of the file's columns.
    ReadColumns(fields, entry.Code, entry.Name, entry.Kind, entry.HitMode, entry.Price, entry.CP, entry.BP, entry.Class,
                entry.Damage, entry.Hit1, entry.Hit2, entry.Hit3, entry.Hit4, entry.Range, entry.Count, entry.Indirect,
                entry.Rapid, entry.ExtraValue, entry.Notes);
}

}  // namespace kr
