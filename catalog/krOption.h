// Option entries and their catalog, read from "option.csv".
#pragma once

#include "catalog.h"

#include <cstdint>
#include <string_view>
#include <tuple>

namespace kr {

// Text fields view bytes the catalog keeps for the run.
struct TKrOption {
    std::string_view Code;            // column 0, kept, read by nothing
    std::string_view Name;            // 1
    std::int32_t Price = 0;           // 2
    std::int32_t CP = 0;              // 3
    std::int32_t BP = 0;              // 4
    std::string_view Class;           // 5
    std::int32_t Fire = 0;            // 6
    std::int32_t Melee = 0;           // 7
    std::int32_t Evasion = 0;         // 8
    std::int32_t Armor = 0;           // 9
    std::int32_t Power = 0;           // 10
    std::int32_t Sensor = 0;          // 11
    std::int32_t MoveBonus = 0;       // 12
    std::int32_t ExtraValue = 0;      // 13, kept, read by nothing
    std::string_view Effect;          // 14, " " when the line lacks it
};

template <>
struct CatalogTraits<TKrOption> {
    static constexpr const char* FileName = "option.csv";
    // Reads one line into the entry, column by column as listed below.
    static void Fill(TKrOption& entry, CatalogFields& fields);
    // The file's columns in order, named as data/README.md names them.
    static constexpr std::tuple Columns{
        Column("code", &TKrOption::Code, ColumnUse::Unused),
        Column("name", &TKrOption::Name),
        Column("price", &TKrOption::Price),
        Column("CP", &TKrOption::CP),
        Column("BP", &TKrOption::BP),
        Column("class", &TKrOption::Class),
        Column("fire", &TKrOption::Fire),
        Column("melee", &TKrOption::Melee),
        Column("evasion", &TKrOption::Evasion),
        Column("armour", &TKrOption::Armor),
        Column("power", &TKrOption::Power),
        Column("sensor", &TKrOption::Sensor),
        Column("move bonus", &TKrOption::MoveBonus),
        Column("spare number", &TKrOption::ExtraValue, ColumnUse::Unused),
        Column("effect", &TKrOption::Effect)
    };
};

class TKROptionList : public CatalogList<TKrOption> {};

}  // namespace kr
