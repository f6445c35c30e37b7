#include "core/Calculator.h"
#include "core/Distance.h"
#include "core/ProjectiveManager.h"

#include "support/DiagnosticLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Matrix = Calculator::Matrix3x3;
using Quad = Calculator::Quadrilateral;

QPointF project(const Matrix &m, QPointF p)
{
    const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
    return {(m.m11 * p.x() + m.m12 * p.y() + m.m13) / w,
            (m.m21 * p.x() + m.m22 * p.y() + m.m23) / w};
}

double measure(const Matrix &m, QPointF a, QPointF b)
{
    Distance d{a, b, 0};
    d.recalculate(m);
    return d.distance;
}

const Quad workedCard{QPointF(100, 200), QPointF(400, 210), QPointF(420, 400), QPointF(90, 380)};

} // namespace

TEST(Calculator, unit_square_onto_card_outline_is_exactly_a_scaling)
{
    const Quad square{QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1)};
    const auto m = Calculator().projectionMatrix(square, ProjectiveManager::cardOutline);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (Matrix{85.725, 0, 0, 0, 53.975, 0, 0, 0, 1}));
}

TEST(Calculator, random_convex_quadrilaterals_round_trip)
{
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> radius(0.6, 1.0), jitter(-0.3, 0.3), centre(500, 3500),
        size(100, 1500);
    for (int trial = 0; trial < 2000; ++trial) {
        // Corners on an ellipse at increasing angles are always convex.
        Quad p;
        const double cx = centre(random), cy = centre(random), rx = size(random), ry = size(random);
        for (int i = 0; i < 4; ++i) {
            const double angle = (i + 0.5 * jitter(random)) * M_PI / 2;
            const double r = radius(random);
            p[i] = QPointF(cx + r * rx * std::cos(angle), cy + r * ry * std::sin(angle));
        }
        const auto m = Calculator().projectionMatrix(p, ProjectiveManager::cardOutline);
        ASSERT_TRUE(m) << "trial " << trial;
        for (int i = 0; i < 4; ++i) {
            const QPointF q = project(*m, p[i]);
            EXPECT_NEAR(q.x(), ProjectiveManager::cardOutline[i].x(), 1e-9) << "trial " << trial;
            EXPECT_NEAR(q.y(), ProjectiveManager::cardOutline[i].y(), 1e-9) << "trial " << trial;
        }
    }
}

TEST(Calculator, inverse_threshold_is_absolute_and_exactly_at_1e_minus_7)
{
    const Matrix atThreshold{1e-7, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_EQ(atThreshold.determinant(), 1e-7);
    const auto inverse = atThreshold.inverse();
    ASSERT_TRUE(inverse);
    EXPECT_DOUBLE_EQ(inverse->m11, 1e7);

    const Matrix below{std::nextafter(1e-7, 0.0), 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_FALSE(below.inverse());
    const Matrix negativeBelow{-std::nextafter(1e-7, 0.0), 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_FALSE(negativeBelow.inverse());

    // Well conditioned but tiny: still singular, because the threshold does not scale.
    const Matrix tiny{1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 1e-3};
    EXPECT_FALSE(tiny.inverse());

    // NaN is not "small": the inverse exists and carries the NaN on.
    const Matrix withNaN{std::nan(""), 0, 0, 0, 1, 0, 0, 0, 1};
    const auto nanInverse = withNaN.inverse();
    ASSERT_TRUE(nanInverse);
    EXPECT_TRUE(std::isnan(nanInverse->m22));
}

// Guards a degenerate card: no matrix and one message naming the side (p is checked first).
TEST(Calculator, degenerate_quadrilaterals_fail_with_exactly_one_message)
{
    const Quad collinear{QPointF(0, 0), QPointF(10, 10), QPointF(5, 20), QPointF(20, 20)};
    const Quad coincident{QPointF(3, 3), QPointF(3, 3), QPointF(8, 9), QPointF(1, 7)};
    const struct
    {
        Quad p, q;
        QStringList lines;
    } cases[] = {
        {collinear, collinear, {"Could not get affine transform for quadrilateral p"}},
        {workedCard, coincident, {"Could not get affine transform for quadrilateral q"}},
        {workedCard, ProjectiveManager::cardOutline, {}},
    };
    for (const auto &c : cases) {
        DiagnosticLines captured;
        EXPECT_EQ(Calculator().projectionMatrix(c.p, c.q).has_value(), c.lines.isEmpty());
        EXPECT_EQ(DiagnosticLines::lines(), c.lines);
    }
}

TEST(Distance, lengths_through_the_card_matrix)
{
    const auto m = ProjectiveManager::shared().projectiveMatrix(workedCard);
    ASSERT_TRUE(m);
    for (size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(measure(*m, workedCard[k], workedCard[(k + 1) % 4]), k % 2 ? 53.975 : 85.725,
                    1e-9);
    // The diagonal of the card.
    EXPECT_NEAR(measure(*m, workedCard[0], workedCard[2]), std::hypot(85.725, 53.975), 1e-9);

    // Any positive scaling of the matrix and either direction of the segment measure the same.
    // (A negative factor maps the same points but swaps the sides of the horizon.)
    const QPointF a(150, 260), b(380, 330);
    const double reference = measure(*m, a, b);
    for (double factor : {1e-6, 3.0, 42.0, 1e9})
        EXPECT_NEAR(measure(m->divided(factor), a, b), reference, 1e-9 * reference);
    EXPECT_DOUBLE_EQ(measure(*m, b, a), reference);

    // The identity measures pixels.
    EXPECT_DOUBLE_EQ(measure(Matrix::identity(), QPointF(0, 0), QPointF(3, 4)), 5.0);
}

// Guards lengths reported for pixels that are no point of the card's plane: beyond its
// horizon (W <= 0), on it (W = 0), or so far that the length overflows.
TEST(Distance, points_with_no_place_on_the_card_plane_have_no_length)
{
    const auto m = ProjectiveManager::shared().projectiveMatrix(workedCard);
    ASSERT_TRUE(m);
    EXPECT_TRUE(std::isfinite(measure(*m, QPointF(100, 200), QPointF(100, -100))));
    for (const auto &[a, b] : {std::pair{QPointF(100, -3000), QPointF(100, -5000)},
                               std::pair{QPointF(100, 200), QPointF(100, -5000)},
                               std::pair{QPointF(-9000, 200), QPointF(100, 200)}})
        EXPECT_TRUE(std::isnan(measure(*m, a, b))) << a.x() << "," << a.y();

    const Matrix horizonAtXIsOne{1, 0, 0, 0, 1, 0, -1, 0, 1};
    EXPECT_TRUE(std::isnan(measure(horizonAtXIsOne, QPointF(1, 0), QPointF(0, 0))));
    EXPECT_TRUE(std::isnan(measure(Matrix::zero(), QPointF(1, 0), QPointF(0, 0))));
    const Matrix scaling{8.5725, 0, 0, 0, 8.995833333333334, 0, 0, 0, 1};
    EXPECT_TRUE(std::isnan(measure(scaling, QPointF(1e308, 1e308), QPointF(0, 0))));
    EXPECT_TRUE(std::isnan(measure(scaling, QPointF(1.5e307, 0), QPointF(-1.5e307, 0))));
    const Distance absent{{}, {}, Distance::noLength};
    EXPECT_FALSE(absent.isMeasured());
    EXPECT_EQ(absent, absent);
}
