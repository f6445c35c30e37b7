#include "core/DistanceFormatter.h"

#include <charconv>
#include <cmath>

QString DistanceFormatter::format(double millimetres)
{
    return format(millimetres, Storage::storedUnitSystem());
}

QString DistanceFormatter::format(double millimetres, Storage::UnitSystem unitSystem)
{
    if (!std::isfinite(millimetres))
        return QString(QChar(0x2013)); // an en dash, never "inf mm" or "nan mm"
    // std::to_chars rounds as printf does, from the exact binary value and half to even (85.725
    // is "86", 2.125 in is "2.1"), but always with a decimal point: printf follows LC_NUMERIC,
    // which QCoreApplication sets from the environment, so it wrote "3,4 in" in a German locale.
    const bool metric = unitSystem == Storage::UnitSystem::metric;
    char text[400]; // the widest double in fixed notation has 309 digits
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, metric ? millimetres : millimetres / 25.4,
                      std::chars_format::fixed, metric ? 0 : 1);
    return QString::fromLatin1(text, end.ptr - text) +
           (metric ? QLatin1String(" mm") : QLatin1String(" in"));
}
