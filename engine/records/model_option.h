#pragma once
// What a model option row means: its kind and the setting it starts with when the model is loaded or an
// application's options are built afresh.

#include "engine/records/records.h"

#include <algorithm>
#include <cstdint>

namespace engine {

// True for an option that carries a number (label and edit box); false for an on/off option (check box).
constexpr bool carriesNumber(const ModelOptionRow& row)
{
    return row.hasValue != 0;
}

// The default held within minimum and maximum; a maximum below the minimum gives no upper bound.
constexpr int32_t optionStartValue(const ModelOptionRow& row)
{
    const int32_t value = std::max(row.defaultValue, row.minimum);
    return row.maximum >= row.minimum && value > row.maximum ? row.maximum : value;
}

// An on/off option starts enabled when its default is not 0, whatever its bounds.
constexpr bool optionStartsEnabled(const ModelOptionRow& row)
{
    return row.defaultValue != 0;
}

// Whether a number option's value lies within its minimum and maximum (a maximum below the minimum gives
// no upper bound); an on/off option takes any value.
constexpr bool optionValueFits(const ModelOptionRow& row, int32_t value)
{
    if (!carriesNumber(row))
        return true;
    return value >= row.minimum && (row.maximum < row.minimum || value <= row.maximum);
}

// The option's current setting as one number: the value of a number option, the state of an on/off one.
constexpr int32_t optionSetting(const ModelOptionRow& row)
{
    return carriesNumber(row) ? row.value : row.state;
}

} // namespace engine
