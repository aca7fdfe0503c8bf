#include "platform/ado/types.h"

namespace korvane::ado {

bool is_text_type(int t) noexcept {
    switch (t) {
    case adBSTR: case adChar: case adWChar: case adVarChar: case adLongVarChar:
    case adVarWChar: case adLongVarWChar:
        return true;
    default:
        return false;
    }
}

bool is_numeric_type(int t) noexcept {
    switch (t) {
    case adSmallInt: case adInteger: case adSingle: case adDouble: case adCurrency:
    case adDecimal: case adTinyInt: case adUnsignedTinyInt: case adBigInt: case adNumeric:
        return true;
    default:
        return false;
    }
}

bool is_date_type(int t) noexcept {
    return t == adDate || t == adDBDate || t == adDBTime || t == adDBTimeStamp;
}

}  // namespace korvane::ado
