#include "krWeapon.h"

namespace kr {

void CatalogTraits<TKrWeapon>::Fill(TKrWeapon& entry, CatalogFields& fields) {
    entry.Code = fields.Text(0);
    entry.Name = fields.Text(1);
    entry.Kind = fields.Text(2);
    entry.HitMode = fields.Byte(3);
    entry.Price = fields.Integer(4);
    entry.CP = fields.Integer(5);
    entry.BP = fields.Integer(6);
    entry.Class = fields.Text(7);
    entry.Damage = fields.Integer(8);
    entry.Hit1 = fields.Integer(9);
    entry.Hit2 = fields.Integer(10);
    entry.Hit3 = fields.Integer(11);
    entry.Hit4 = fields.Integer(12);
    entry.Range = fields.Integer(13);
    entry.Count = fields.Text(14);
    entry.Indirect = fields.Byte(15);
    entry.Rapid = fields.Byte(16);
    entry.ExtraValue = fields.Integer(17);
    entry.Notes = fields.LastText(18);
}

void CatalogTraits<TKrWeapon>::KeepTexts(TKrWeapon& entry, TextStore& store) {
    entry.Code = store.Keep(entry.Code);
    entry.Name = store.Keep(entry.Name);
    entry.Kind = store.Keep(entry.Kind);
    entry.Class = store.Keep(entry.Class);
    entry.Count = store.Keep(entry.Count);
    entry.Notes = store.Keep(entry.Notes);
}

}  // namespace kr
