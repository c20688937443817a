// Option entries and their catalog, read from "option.csv".
#pragma once

#include "catalog.h"

#include <cstdint>
#include <string_view>

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
    static void Fill(TKrOption& entry, CatalogFields& fields);
    // Calls `visit` on each text field of the entry.
    template <class Visit>
    static void ForEachText(TKrOption& e, Visit&& visit) {
        for (std::string_view* text : {&e.Code, &e.Name, &e.Class, &e.Effect}) visit(*text);
    }
};

class TKROptionList : public CatalogList<TKrOption> {};

}  // namespace kr
