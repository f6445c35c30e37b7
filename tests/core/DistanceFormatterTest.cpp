#include "core/DistanceFormatter.h"
#include "core/UserDefaults.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Units = Storage::UnitSystem;

TEST(DistanceFormatter, rounds_at_the_unit_edges)
{
    EXPECT_EQ(DistanceFormatter::format(85.725, Units::metric), "86 mm");
    EXPECT_EQ(DistanceFormatter::format(85.725, Units::imperial), "3.4 in");
    EXPECT_EQ(DistanceFormatter::format(53.975, Units::metric), "54 mm");
    EXPECT_EQ(DistanceFormatter::format(53.975, Units::imperial), "2.1 in");
    EXPECT_EQ(DistanceFormatter::format(0, Units::metric), "0 mm");
    EXPECT_EQ(DistanceFormatter::format(0, Units::imperial), "0.0 in");
    // No switch to metres or feet for long lengths, no thousands separators.
    EXPECT_EQ(DistanceFormatter::format(2540, Units::metric), "2540 mm");
    EXPECT_EQ(DistanceFormatter::format(2540, Units::imperial), "100.0 in");
    // Half-way cases round to even from the exact binary value, as printf does.
    EXPECT_EQ(DistanceFormatter::format(0.5, Units::metric), "0 mm");
    EXPECT_EQ(DistanceFormatter::format(1.5, Units::metric), "2 mm");
    EXPECT_EQ(DistanceFormatter::format(-0.4, Units::metric), "-0 mm");
}

TEST(DistanceFormatter, non_finite_lengths_print_as_printf_does)
{
    EXPECT_EQ(DistanceFormatter::format(std::numeric_limits<double>::quiet_NaN(), Units::metric),
              "nan mm");
    EXPECT_EQ(DistanceFormatter::format(std::numeric_limits<double>::infinity(), Units::imperial),
              "inf in");
    // The widest finite value keeps its unit instead of being cut off.
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
