// The forms' selection service: RefSelect behind the interface the issue
// form calls.
#pragma once

#include "generation/core/stock_selection.h"

namespace korvane::component {

generation::StockSelectionPtr make_stock_selection();

}  // namespace korvane::component
