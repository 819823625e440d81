#pragma once
// One shared FormulaCode per distinct formula shape: =C5-E5 in F5 and =C6-E6 in F6 are the
// same position-independent code, held once.
#include "host/formula_code.h"

namespace host::formula {

FormulaPtr intern(FormulaCode&& code);
FormulaPtr intern(const FormulaPtr& code);
std::size_t hashCode(const FormulaCode& code);

}  // namespace host::formula
