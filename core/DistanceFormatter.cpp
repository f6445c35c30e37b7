#include "core/DistanceFormatter.h"

#include <cmath>
#include <cstdio>

QString DistanceFormatter::format(double millimetres)
{
    return format(millimetres, Storage::storedUnitSystem());
}

QString DistanceFormatter::format(double millimetres, Storage::UnitSystem unitSystem)
{
    if (!std::isfinite(millimetres))
        return QString(QChar(0x2013)); // an en dash, never "inf mm" or "nan mm"
    // printf rounds from the exact binary value, so 85.725 is "86" and 2.125 in is "2.1".
    char text[400]; // the widest double printed with %.0f has 309 digits
    if (unitSystem == Storage::UnitSystem::metric)
        std::snprintf(text, sizeof text, "%.0f %s", millimetres, "mm");
    else
        std::snprintf(text, sizeof text, "%.1f %s", millimetres / 25.4, "in");
    return QString::fromLatin1(text);
}
