#include "krOption.h"

namespace kr {

void CatalogTraits<TKrOption>::Fill(TKrOption& entry, CatalogFields& fields) {
    entry.Code = fields.Text(0);
    entry.Name = fields.Text(1);
    entry.Price = fields.Integer(2);
    entry.CP = fields.Integer(3);
    entry.BP = fields.Integer(4);
    entry.Class = fields.Text(5);
    entry.Fire = fields.Integer(6);
    entry.Melee = fields.Integer(7);
    entry.Evasion = fields.Integer(8);
    entry.Armor = fields.Integer(9);
    entry.Power = fields.Integer(10);
    entry.Sensor = fields.Integer(11);
    entry.MoveBonus = fields.Integer(12);
    entry.ExtraValue = fields.Integer(13);
    entry.Effect = fields.LastText(14);
}

void CatalogTraits<TKrOption>::KeepTexts(TKrOption& entry, TextStore& store) {
    entry.Code = store.Keep(entry.Code);
    entry.Name = store.Keep(entry.Name);
    entry.Class = store.Keep(entry.Class);
    entry.Effect = store.Keep(entry.Effect);
}

}  // namespace kr
