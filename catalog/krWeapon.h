// Weapon entries and their catalog, read from "weapon.csv".
#pragma once

#include "catalog.h"

#include <cstdint>
#include <string_view>
#include <tuple>

namespace kr {

// Text fields view bytes the catalog keeps for the run.
struct TKrWeapon {
    std::string_view Code;            // column 0, kept, read by nothing
    std::string_view Name;            // 1; a name beginning with "└" is a follow-up row
    std::string_view Kind;            // 2
    std::uint8_t HitMode = 0;         // 3; 1: one hit modifier, otherwise four
    std::int32_t Price = 0;           // 4
    std::int32_t CP = 0;              // 5
    std::int32_t BP = 0;              // 6
    std::string_view Class;           // 7
    std::int32_t Damage = 0;          // 8; -n means the unit's power plus n
    std::int32_t Hit1 = 0;            // 9
    std::int32_t Hit2 = 0;            // 10
    std::int32_t Hit3 = 0;            // 11
    std::int32_t Hit4 = 0;            // 12
    std::int32_t Range = 0;           // 13
    std::string_view Count;           // 14; blank means unlimited
    std::uint8_t Indirect = 0;        // 15; 1: indirect fire possible
    std::uint8_t Rapid = 0;           // 16; 1: rapid fire possible
    std::int32_t ExtraValue = 0;      // 17, kept, read by nothing
    std::string_view Notes;           // 18, " " when the line lacks it
};

template <>
struct CatalogTraits<TKrWeapon> {
    static constexpr const char* FileName = "weapon.csv";
    // Reads one line into the entry, column by column as listed below.
    static void Fill(TKrWeapon& entry, CatalogFields& fields);
    // The file's columns in order, named as data/README.md names them.
    static constexpr std::tuple Columns{
        Column("code", &TKrWeapon::Code, ColumnUse::Unused),
        Column("name", &TKrWeapon::Name),
        Column("kind", &TKrWeapon::Kind),
        Column("hit mode", &TKrWeapon::HitMode),
        Column("price", &TKrWeapon::Price),
        Column("CP", &TKrWeapon::CP),
        Column("BP", &TKrWeapon::BP),
        Column("class", &TKrWeapon::Class),
        Column("damage", &TKrWeapon::Damage),
        Column("hit 1", &TKrWeapon::Hit1),
        Column("hit 2", &TKrWeapon::Hit2),
        Column("hit 3", &TKrWeapon::Hit3),
        Column("hit 4", &TKrWeapon::Hit4),
        Column("range", &TKrWeapon::Range),
        Column("uses", &TKrWeapon::Count),
        Column("indirect", &TKrWeapon::Indirect),
        Column("rapid", &TKrWeapon::Rapid),
        Column("spare number", &TKrWeapon::ExtraValue, ColumnUse::Unused),
        Column("notes", &TKrWeapon::Notes)
    };
};

class TKRWeaponList : public CatalogList<TKrWeapon> {};

// Whether a weapon's name begins with "└": a follow-up row, which belongs
// to the weapon row above it.
bool IsFollowUpName(std::string_view name);

}  // namespace kr
