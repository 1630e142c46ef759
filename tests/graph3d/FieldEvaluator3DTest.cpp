#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "Graph3DTestSupport.h"
#include "app/examples/BuiltInExamples.h"
#include "graph3d/FieldEvaluator3D.h"

namespace plotwise {
namespace {

using test::equation;

bool same(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The batch form, the plane form and the record-by-record form give the same bits at every
// point, including NaN and infinite values, the polar slots and the origin, where the angles are
// undefined; planes follow each other with the same axes, as the mesh builders run them.
class FieldAgreement : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldAgreement, BatchAndPlaneEqualOneAtATime) {
    const auto e = equation(GetParam());
    const std::vector<double> ys = {-3.0, -1.5, -0.0, 0.0, 0.25, 2.0, 3.5};
    std::vector<double> zs;
    for (double z = -4.0; z <= 4.0; z += 0.125) {
        zs.push_back(z);
    }
    const std::size_t size = ys.size() * zs.size();
    for (const auto reading :
         {FieldEvaluator3D::Reading::Field, FieldEvaluator3D::Reading::Value}) {
        FieldEvaluator3D field(e.data, reading);
        std::vector<double> plane(size), batch(size), xs(size), rows(size), columns(size);
        for (const double x : {-2.5, 0.0, 1.0, 3.75}) {
            field.evaluatePlane(x, ys.size(), ys.data(), zs.size(), zs.data(), plane.data());
            for (std::size_t n = 0; n < size; ++n) {
                xs[n] = x;
                rows[n] = ys[n / zs.size()];
                columns[n] = zs[n % zs.size()];
            }
            field.evaluate(size, xs.data(), rows.data(), columns.data(), batch.data());
            for (std::size_t n = 0; n < size; ++n) {
                const double one = field.evaluateOne(x, rows[n], columns[n]);
                ASSERT_TRUE(same(plane[n], one) && same(batch[n], one))
                    << GetParam() << " at (" << x << ", " << rows[n] << ", " << columns[n]
                    << "): plane " << plane[n] << ", batch " << batch[n] << ", one " << one;
            }
        }
        EXPECT_EQ(field.evaluations(), 3 * 4 * size);
    }
}

std::vector<const char*> agreementExpressions() {
    std::vector<const char*> texts = {"x^2+y^2+z^2-4",
                                      "x^2+y^2+z^2=4",
                                      "sin(x)*cos(y)+z",
                                      "r-2",
                                      "Θ",
                                      "Φ+z",
                                      "r^2/5=10*cos(4Θ)",
                                      "√(x)+1/y",
                                      "(x^4+y^4+z^4)/10=50",
                                      "r+Θ+0*z<3",
                                      "1=1",
                                      "x^2+y^2<z"};
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        texts.push_back(example.source);
    }
    return texts;
}

INSTANTIATE_TEST_SUITE_P(Expressions, FieldAgreement, ::testing::ValuesIn(agreementExpressions()));

// Hand-worked readings: spherical r and Θ (from the positive z axis), the cylindrical pair when z
// meets Θ (the angle about z on both half-planes, r the distance from the z axis), Φ about z.
TEST(FieldEvaluator3D, PolarSlotsFollowThePointsAngles) {
    using std::numbers::pi;
    const std::tuple<const char*, double, double, double, double> rows[] = {
        {"Θ", 0, 0, 2, 0},
        {"Θ", 1, 0, 0, pi / 2},
        {"Θ", 0, 0, -1, pi},
        {"r", 2, 3, 6, 7},
        {"Θ+0*z", 1, 1, 5, pi / 4},
        {"Θ+0*z", -1, 1, 5, 3 * pi / 4},
        {"Θ+0*z", -1, -1, 5, -3 * pi / 4},
        {"r+0*z+0*Θ", 3, 4, 12, 5},
        {"Φ", 0, 2, 7, pi / 2},
        {"Φ", -1, 0, 0, pi},
    };
    for (const auto& [text, x, y, z, expected] : rows) {
        auto e = equation(text);
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(x, y, z), expected) << text << " at " << x << ", " << y;
    }
}

TEST(FieldEvaluator3D, EqualsRootReadsRightMinusLeft) {
    auto e = equation("(x^4+y^4+z^4)/10=50");
    FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
    EXPECT_DOUBLE_EQ(field.evaluateOne(1, 2, 3), 50 - (1 + 16 + 81) / 10.0);
    FieldEvaluator3D value(e.data, FieldEvaluator3D::Reading::Value);
    EXPECT_EQ(value.evaluateOne(1, 2, 3), 0.0);  // the relation does not hold there
}

}  // namespace
}  // namespace plotwise
