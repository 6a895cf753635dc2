#include "geometry/VectorMath.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace velmora {

double Dot4(const Vector4& a, const Vector4& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

double NormSquared4(const Vector4& a) { return Dot4(a, a); }

double Determinant4(const Vector4& r0, const Vector4& r1, const Vector4& r2, const Vector4& r3) {
    std::array<Vector4, 4> m{r0, r1, r2, r3};
    double factor = 1.0;
    for (int col = 0; col < 2; ++col) {
        // Partial pivoting: the row (from this one down) with the largest |entry|.
        int pivotRow = col;
        double largest = std::fabs(m[col][col]);
        for (int row = col + 1; row < 4; ++row) {
            const double candidate = std::fabs(m[row][col]);
            if (candidate > largest) {
                largest = candidate;
                pivotRow = row;
            }
        }
        const double pivot = m[pivotRow][col];
        if (pivot == 0.0) return 0.0;
        if (pivotRow != col) {
            std::swap(m[pivotRow], m[col]);
            factor = -factor;
        }
        factor *= pivot;
        for (int j = col; j < 4; ++j) m[col][j] /= pivot;
        for (int row = col + 1; row < 4; ++row) {
            const double lead = m[row][col];
            for (int j = col; j < 4; ++j) m[row][j] -= lead * m[col][j];
        }
    }
    return factor * (m[2][2] * m[3][3] - m[2][3] * m[3][2]);
}

namespace {
// 3 x 3 determinant of the columns (i, j, k) of the rows U, V, W.
double Minor3(const Vector4& U, const Vector4& V, const Vector4& W, int i, int j, int k) {
    return U[i] * (V[j] * W[k] - V[k] * W[j]) - U[j] * (V[i] * W[k] - V[k] * W[i]) +
           U[k] * (V[i] * W[j] - V[j] * W[i]);
}
}  // namespace

Vector4 CrossProductR4(const Vector4& U, const Vector4& V, const Vector4& W) {
    return {Minor3(U, V, W, 1, 2, 3), -Minor3(U, V, W, 0, 2, 3), Minor3(U, V, W, 0, 1, 3),
            -Minor3(U, V, W, 0, 1, 2)};
}

double SafeArcTan2(double y, double x) {
    if (std::fabs(x) > 1e-15) {
        const double angle = std::atan2(y, x);
        return angle == -std::numbers::pi ? std::numbers::pi : angle;  // (-pi, pi] also for y = -0
    }
    if (y > 0 && y < 1e10) return std::numbers::pi / 2;
    if (y < 0 && y > -1e10) return -std::numbers::pi / 2;
    return 0.0;
}

double Hypot(double a, double b) {
    a = std::fabs(a);
    b = std::fabs(b);
    if (a < b) std::swap(a, b);
    if (a == 0.0) return 0.0;
    const double r = b / a;
    return a * std::sqrt(1.0 + r * r);
}

}  // namespace velmora
