#include "krOption.h"

namespace kr {

static_assert(DescribeColumns<TKrOption>().size() == 15, "option.csv has 15 columns");

void CatalogTraits<TKrOption>::Fill(TKrOption& entry, CatalogFields& fields) { FillEntry(entry, fields); }

}  // namespace kr
