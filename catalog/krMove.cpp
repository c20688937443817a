#include "krMove.h"

namespace kr {

static_assert(DescribeColumns<TKrMove>().size() == 12, "move.csv has 12 columns");

void CatalogTraits<TKrMove>::Fill(TKrMove& entry, CatalogFields& fields) { FillEntry(entry, fields); }

}  // namespace kr
