// ADO's enumerations and the column description shared by the record set
// and the drivers.
#pragma once

#include <cstdint>
#include <string>

namespace korvane::ado {

enum DataTypeEnum : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adVariant = 12,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adBigInt = 20,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
};

enum CursorLocationEnum : int { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};
enum LockTypeEnum : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4,
};
enum ObjectStateEnum : int { adStateClosed = 0, adStateOpen = 1 };
enum FilterGroupEnum : int { adFilterNone = 0 };
enum EditModeEnum : int { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2, adEditDelete = 4 };
enum FieldAttributeEnum : int { adFldUnspecified = -1, adFldUpdatable = 0x4, adFldIsNullable = 0x20, adFldMayBeNull = 0x40 };

// One result column as the driver describes it.
struct ColumnInfo {
    std::string name;
    int type = adVariant;            // DataTypeEnum
    long defined_size = 0;           // characters for text, bytes for numbers
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    std::string base_column;         // underlying table column, "" for computed ones
    std::string base_table;
    int attributes = adFldIsNullable | adFldMayBeNull | adFldUpdatable;
};

bool is_text_type(int ado_type) noexcept;
bool is_numeric_type(int ado_type) noexcept;
bool is_date_type(int ado_type) noexcept;

}  // namespace korvane::ado
