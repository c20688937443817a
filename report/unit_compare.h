// Two designs side by side: the figures the clipboard text lists, with the
// difference, and the equipment rows that only one of the two carries.
#pragma once

#include "unit_sheet.h"

#include <string>
#include <string_view>

namespace kr {

// The comparison of two recalculated sheets, CP932 with CR LF after every
// line. `nameA` and `nameB` (CP932) say where each design came from.
//
//   A: <nameA>
//   B: <nameB>
//   (empty line)
//   [基本性能]
//   項目, A, B, B-A as aligned columns, then one line per figure: 名称,
//   クラス, the eleven figure boxes and the three (元) base figures, in the
//   clipboard text's order. B-A is the signed difference for numbers
//   ("+2", "0", "-1"); for texts it is empty when they are equal and "≠"
//   when not.
//   (empty line)
//   [移動], [武器], [その他], each after an empty line: "Aのみ: n 行" and the
//   captions of those rows, two spaces in, "Bのみ: n 行" and its captions,
//   then "共通: n 行". Rows are matched by caption, repeats counted: a
//   weapon twice in A and once in B is one row only in A.
std::string BuildUnitComparison(const UnitSheet& a, const UnitSheet& b, std::string_view nameA,
                                std::string_view nameB);

}  // namespace kr
