#include "core/DistanceFormatter.h"
#include "core/UserDefaults.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

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

// Guards "3,4 in": QCoreApplication sets the C library's locale from the environment, and
// printf then wrote the decimal mark of LC_NUMERIC into every label in inches (and into
// mirrel-measure's JSON) for a German or French user.
TEST(DistanceFormatter, writes_a_decimal_point_in_every_locale)
{
    const std::optional<CommaLocale> comma = CommaLocale::find();
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma here, and none can be made";
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, comma->name.toLatin1().constData()));
    const QString inches = DistanceFormatter::format(85.725, Units::imperial);
    const QString millimetres = DistanceFormatter::format(1234567.5, Units::metric);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(inches, "3.4 in");
    EXPECT_EQ(millimetres, "1234568 mm");
}
