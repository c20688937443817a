#include "krMove.h"

namespace kr {

void CatalogTraits<TKrMove>::Fill(TKrMove& entry, CatalogFields& fields) {
    entry.Code = fields.Text(0);
    entry.Name = fields.Text(1);
    entry.ExtraText = fields.Text(2);
    entry.Price = fields.Integer(3);
    entry.CP = fields.Integer(4);
    entry.BP = fields.Integer(5);
    entry.Class = fields.Text(6);
    entry.Movement = fields.Integer(7);
    entry.HeavyPenalty = fields.Byte(8);
    entry.Turning = fields.Integer(9);
    entry.ExtraValue = fields.Integer(10);
    entry.Notes = fields.LastText(11);
}

void CatalogTraits<TKrMove>::KeepTexts(TKrMove& entry, TextStore& store) {
    entry.Code = store.Keep(entry.Code);
    entry.Name = store.Keep(entry.Name);
    entry.ExtraText = store.Keep(entry.ExtraText);
    entry.Class = store.Keep(entry.Class);
    entry.Notes = store.Keep(entry.Notes);
}

}  // namespace kr
