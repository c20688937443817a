#include "krOption.h"

namespace kr {

void CatalogTraits<TKrOption>::Fill(TKrOption& entry, CatalogFields& fields) {
    // The fields in the order of the file's columns.
    ReadColumns(fields, entry.Code, entry.Name, entry.Price, entry.CP, entry.BP, entry.Class, entry.Fire, entry.Melee,
                entry.Evasion, entry.Armor, entry.Power, entry.Sensor, entry.MoveBonus, entry.ExtraValue, entry.Effect);
}

}  // namespace kr
