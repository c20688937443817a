// Locomotion (move) entries and their catalog, read from "move.csv".
#pragma once

#include "catalog.h"

#include <cstdint>
#include <string_view>
#include <tuple>

namespace kr {

// Text fields view bytes the catalog keeps for the run.
struct TKrMove {
    std::string_view Code;            // column 0, kept, read by nothing
    std::string_view Name;            // 1
    std::string_view ExtraText;       // 2, kept, read by nothing
    std::int32_t Price = 0;           // 3
    std::int32_t CP = 0;              // 4
    std::int32_t BP = 0;              // 5
    std::string_view Class;           // 6
    std::int32_t Movement = 0;        // 7
    std::uint8_t HeavyPenalty = 0;    // 8; taken off the movement of "H" and "XH" units
    std::int32_t Turning = 0;         // 9
    std::int32_t ExtraValue = 0;      // 10, kept, read by nothing
    std::string_view Notes;           // 11, " " when the line lacks it
};

template <>
struct CatalogTraits<TKrMove> {
    static constexpr const char* FileName = "move.csv";
    // Reads one line into the entry, column by column as listed below.
    static void Fill(TKrMove& entry, CatalogFields& fields);
    // The file's columns in order, named as data/README.md names them.
    static constexpr std::tuple Columns{
        Column("code", &TKrMove::Code, ColumnUse::Unused),
        Column("name", &TKrMove::Name),
        Column("type", &TKrMove::ExtraText, ColumnUse::Unused),
        Column("price", &TKrMove::Price),
        Column("CP", &TKrMove::CP),
        Column("BP", &TKrMove::BP),
        Column("class", &TKrMove::Class),
        Column("movement", &TKrMove::Movement),
        Column("heavy penalty", &TKrMove::HeavyPenalty),
        Column("turning", &TKrMove::Turning),
        Column("spare number", &TKrMove::ExtraValue, ColumnUse::Unused),
        Column("notes", &TKrMove::Notes)
    };
};

class TKRMoveList : public CatalogList<TKrMove> {};

}  // namespace kr
