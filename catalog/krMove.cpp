#include "krMove.h"

namespace kr {

void CatalogTraits<TKrMove>::Fill(TKrMove& entry, CatalogFields& fields) {
    // The fields in the order of the file's columns.
    ReadColumns(fields, entry.Code, entry.Name, entry.ExtraText, entry.Price, entry.CP, entry.BP, entry.Class, entry.Movement,
                entry.HeavyPenalty, entry.Turning, entry.ExtraValue, entry.Notes);
}

}  // namespace kr
