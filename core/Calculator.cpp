#include "core/Calculator.h"

#include "core/Diagnostics.h"

#include <cmath>

using Matrix3x3 = Calculator::Matrix3x3;

std::optional<Matrix3x3> Matrix3x3::inverse() const
{
    const double det = determinant();
    if (std::fabs(det) < 1e-7)
        return std::nullopt;
    return Matrix3x3{(m22 * m33 - m23 * m32) / det, (m13 * m32 - m12 * m33) / det,
                     (m12 * m23 - m13 * m22) / det, (m23 * m31 - m21 * m33) / det,
                     (m11 * m33 - m13 * m31) / det, (m13 * m21 - m11 * m23) / det,
                     (m21 * m32 - m22 * m31) / det, (m12 * m31 - m11 * m32) / det,
                     (m11 * m22 - m12 * m21) / det};
}

Matrix3x3 Matrix3x3::multiplied(const Matrix3x3 &b) const
{
    return {m11 * b.m11 + m12 * b.m21 + m13 * b.m31, m11 * b.m12 + m12 * b.m22 + m13 * b.m32,
            m11 * b.m13 + m12 * b.m23 + m13 * b.m33, m21 * b.m11 + m22 * b.m21 + m23 * b.m31,
            m21 * b.m12 + m22 * b.m22 + m23 * b.m32, m21 * b.m13 + m22 * b.m23 + m23 * b.m33,
            m31 * b.m11 + m32 * b.m21 + m33 * b.m31, m31 * b.m12 + m32 * b.m22 + m33 * b.m32,
            m31 * b.m13 + m32 * b.m23 + m33 * b.m33};
}

namespace {

// Columns (c0, 1), (c1, 1), (c3, 1): the affine frame spanned by corners 0, 1 and 3.
Matrix3x3 basis(const Calculator::Quadrilateral &c)
{
    return {c[0].x(), c[1].x(), c[3].x(), c[0].y(), c[1].y(), c[3].y(), 1, 1, 1};
}

// Columns (0, 0, 1), (1, 0, 1), (0, 1, 1): where corners 0, 1 and 3 land in the canonical frame.
constexpr Matrix3x3 canonical{0, 1, 0, 0, 0, 1, 1, 1, 1};

} // namespace

std::optional<Matrix3x3> Calculator::projectionMatrix(const Quadrilateral &p,
                                                      const Quadrilateral &q) const
{
    const auto pInverse = basis(p).inverse();
    if (!pInverse) {
        Diagnostics::write("Could not get affine transform for quadrilateral p");
        return std::nullopt;
    }
    const Matrix3x3 ap = canonical.multiplied(*pInverse);

    const auto qInverse = basis(q).inverse();
    if (!qInverse) {
        Diagnostics::write("Could not get affine transform for quadrilateral q");
        return std::nullopt;
    }
    const Matrix3x3 aq = canonical.multiplied(*qInverse);

    const auto bq = aq.inverse();
    if (!bq) {
        Diagnostics::write("Could not get inverse of affine transform for quadrilateral q");
        return std::nullopt;
    }

    // Where the fourth corners land in their canonical frames.
    const QPointF st = ap.appliedAffine(p[2]);
    const QPointF uv = aq.appliedAffine(q[2]);
    const double s = st.x(), t = st.y(), u = uv.x(), v = uv.y();
    const double k = s + t - 1;
    const double w = u + v - 1;

    // Carries (0, 0), (1, 0), (s, t), (0, 1) onto (0, 0), (1, 0), (u, v), (0, 1).
    const Matrix3x3 d{k * t * u,           0,        0, 0, k * s * v, 0, t * (k * u - s * w),
                      s * (k * v - t * w), s * t * w};

    return bq->multiplied(d).multiplied(ap);
}
