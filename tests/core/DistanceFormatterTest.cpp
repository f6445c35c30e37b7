#include "core/DistanceFormatter.h"
#include "core/UserDefaults.h"

#include <gtest/gtest.h>

#include <limits>

using Units = Storage::UnitSystem;

// Guards rounding at unit edges (half to even, as printf does) and lengths that are absent.
TEST(DistanceFormatter, rounds_at_the_unit_edges)
{
    const struct
    {
        double mm;
        Units units;
        const char *text;
    } cases[] = {
        {85.725, Units::metric, "86 mm"},
        {85.725, Units::imperial, "3.4 in"},
        {53.975, Units::imperial, "2.1 in"},
        {0, Units::imperial, "0.0 in"},
        {2540, Units::metric, "2540 mm"},
        {2540, Units::imperial, "100.0 in"},
        {0.5, Units::metric, "0 mm"},
        {1.5, Units::metric, "2 mm"},
        {-0.4, Units::metric, "-0 mm"},
        // A segment with no length shows a dash, never "nan mm" or "inf in".
        {std::numeric_limits<double>::quiet_NaN(), Units::metric, "\u2013"},
        {std::numeric_limits<double>::infinity(), Units::imperial, "\u2013"},
        {-std::numeric_limits<double>::infinity(), Units::metric, "\u2013"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DistanceFormatter::format(c.mm, c.units), QString::fromUtf8(c.text));
    EXPECT_TRUE(DistanceFormatter::format(std::numeric_limits<double>::max(), Units::metric)
                    .endsWith(" mm"));
}

TEST(DistanceFormatter, follows_the_stored_setting_on_every_call)
{
    // Each test program has a configuration folder of its own (XDG_CONFIG_HOME).
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(QLatin1String(Storage::metricUnitKey), true);
    EXPECT_EQ(DistanceFormatter::format(85.725), "86 mm");
    defaults.setBool(QLatin1String(Storage::metricUnitKey), false);
    EXPECT_EQ(DistanceFormatter::format(85.725), "3.4 in");
}
