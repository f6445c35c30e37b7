#pragma once

#include "core/Storage.h"

#include <QString>

// The short text of a length: whole millimetres ("86 mm") or inches with one decimal
// ("3.4 in"). No other units, no switching by size, no localised decimal marks. A length that
// is not a finite number (a segment with no length on the card's plane) shows as a dash.
class DistanceFormatter
{
public:
    // In the unit system stored in the settings, read afresh on every call so that a change of
    // the setting shows at the next redraw.
    [[nodiscard]] static QString format(double millimetres);
    [[nodiscard]] static QString format(double millimetres, Storage::UnitSystem unitSystem);
};
