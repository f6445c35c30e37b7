#pragma once

#include <QMetaType>
#include <QPointF>

#include <array>
#include <optional>

// Homographies between quadrilaterals. Pure arithmetic on the stack: no state, no locks and no
// allocation on any successful path, because the projection runs on every step of a drag.
class Calculator
{
public:
    // A 3x3 matrix acting on column vectors (x, y, 1). Field digits are row then column.
    struct Matrix3x3
    {
        double m11 = 1, m12 = 0, m13 = 0;
        double m21 = 0, m22 = 1, m23 = 0;
        double m31 = 0, m32 = 0, m33 = 1;

        static constexpr Matrix3x3 identity() { return {}; }
        // Carries no point anywhere: W is 0 for every point, so nothing measured through it
        // has a length.
        static constexpr Matrix3x3 zero() { return {0, 0, 0, 0, 0, 0, 0, 0, 0}; }

        // None when |det| < 1e-7. The threshold is absolute: a matrix of tiny entries counts
        // as singular even when it is well conditioned. A NaN determinant passes the test and
        // yields a matrix of NaNs.
        [[nodiscard]] std::optional<Matrix3x3> inverse() const;

        // The product this * other.
        [[nodiscard]] Matrix3x3 multiplied(const Matrix3x3 &other) const;

        // (m11 x + m12 y + m13, m21 x + m22 y + m23): the third row is ignored.
        [[nodiscard]] QPointF appliedAffine(QPointF point) const
        {
            return {m11 * point.x() + m12 * point.y() + m13,
                    m21 * point.x() + m22 * point.y() + m23};
        }

        [[nodiscard]] double determinant() const
        {
            return m11 * (m22 * m33 - m32 * m23) - m12 * (m21 * m33 - m23 * m31) +
                   m13 * (m21 * m32 - m22 * m31);
        }

        // This matrix with every entry divided by factor.
        [[nodiscard]] Matrix3x3 divided(double factor) const
        {
            return {m11 / factor, m12 / factor, m13 / factor, m21 / factor, m22 / factor,
                    m23 / factor, m31 / factor, m32 / factor, m33 / factor};
        }

        friend bool operator==(const Matrix3x3 &, const Matrix3x3 &) = default;
    };

    using Quadrilateral = std::array<QPointF, 4>;

    // The homography H with H (p_i, 1) proportional to (q_i, 1) for i = 0..3, unscaled.
    // Corner 2 is diagonally opposite corner 0. None, with one diagnostic line, when corners
    // 0, 1 and 3 of either quadrilateral are collinear or coincident.
    [[nodiscard]] std::optional<Matrix3x3> projectionMatrix(const Quadrilateral &from,
                                                            const Quadrilateral &to) const;
};

Q_DECLARE_METATYPE(Calculator::Matrix3x3)
