#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
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

class FieldEvaluatorAgreement : public ::testing::TestWithParam<const char*> {};

// The batch form and the record-by-record form give the same bits at every point, including
// NaN and infinite values and the polar slots.
TEST_P(FieldEvaluatorAgreement, BatchEqualsOneAtATime) {
    const auto e = equation(GetParam());
    for (const auto reading :
         {FieldEvaluator3D::Reading::Field, FieldEvaluator3D::Reading::Value}) {
        std::vector<double> xs, ys, zs;
        for (double x = -3; x <= 3; x += 0.75) {
            for (double y = -3; y <= 3; y += 1.5) {
                for (double z = -3; z <= 3; z += 0.6) {
                    xs.push_back(x);
                    ys.push_back(y);
                    zs.push_back(z);
                }
            }
        }
        xs.push_back(0);  // the origin, where the angles are undefined
        ys.push_back(0);
        zs.push_back(0);
        std::vector<double> batch(xs.size());
        FieldEvaluator3D field(e.data, reading);
        field.evaluate(xs.size(), xs.data(), ys.data(), zs.data(), batch.data());
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const double one = field.evaluateOne(xs[i], ys[i], zs[i]);
            EXPECT_TRUE(same(batch[i], one))
                << GetParam() << " at (" << xs[i] << ", " << ys[i] << ", " << zs[i] << "): batch "
                << batch[i] << ", one " << one;
        }
        EXPECT_EQ(field.evaluations(), 2 * xs.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Expressions, FieldEvaluatorAgreement,
                         ::testing::Values("x^2+y^2+z^2-4", "x^2+y^2+z^2=4", "sin(x)*cos(y)+z",
                                           "r-2", "Θ", "Φ+z", "r^2/5=10*cos(4Θ)", "√(x)+1/y",
                                           "(x^4+y^4+z^4)/10=50", "r+Θ+0*z<3", "1=1", "x^2+y^2<z"));

// A plane of rows (y) and columns (z) gives the same bits as one point at a time on every
// built-in example; planes follow each other with the same axes, as the mesh builders run them.
class FieldPlaneAgreement : public ::testing::TestWithParam<BuiltInExample> {};

TEST_P(FieldPlaneAgreement, PlaneEqualsOneAtATime) {
    const auto e = equation(GetParam().source);
    const std::vector<double> ys = {-3.0, -1.5, -0.0, 0.0, 0.25, 2.0, 3.5};
    std::vector<double> zs;
    for (double z = -4.0; z <= 4.0; z += 0.125) {
        zs.push_back(z);
    }
    for (const auto reading :
         {FieldEvaluator3D::Reading::Field, FieldEvaluator3D::Reading::Value}) {
        FieldEvaluator3D field(e.data, reading);
        std::vector<double> plane(ys.size() * zs.size());
        for (const double x : {-2.5, 0.0, 1.0, 3.75}) {
            field.evaluatePlane(x, ys.size(), ys.data(), zs.size(), zs.data(), plane.data());
            for (std::size_t j = 0; j < ys.size(); ++j) {
                for (std::size_t k = 0; k < zs.size(); ++k) {
                    const double one = field.evaluateOne(x, ys[j], zs[k]);
                    ASSERT_TRUE(same(plane[j * zs.size() + k], one))
                        << GetParam().source << " at (" << x << ", " << ys[j] << ", " << zs[k]
                        << "): plane " << plane[j * zs.size() + k] << ", one " << one;
                }
            }
        }
        EXPECT_EQ(field.evaluations(), 2 * 4 * ys.size() * zs.size());
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltInExamples, FieldPlaneAgreement,
                         ::testing::ValuesIn(kBuiltInExamples3D));

// Hand-worked readings: spherical r and Θ, the cylindrical pair when z meets Θ, Φ about z.
TEST(FieldEvaluator3D, PolarSlotsFollowThePointsAngles) {
    using std::numbers::pi;
    {
        auto e = equation("Θ");  // spherical: the angle from the positive z axis
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(0, 0, 2), 0);
        EXPECT_DOUBLE_EQ(field.evaluateOne(1, 0, 0), pi / 2);
        EXPECT_DOUBLE_EQ(field.evaluateOne(0, 0, -1), pi);
    }
    {
        auto e = equation("r");
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(2, 3, 6), 7);
    }
    {
        auto e = equation("Θ+0*z");  // cylindrical: the angle about z, on both half-planes
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(1, 1, 5), pi / 4);
        EXPECT_DOUBLE_EQ(field.evaluateOne(-1, 1, 5), 3 * pi / 4);
        EXPECT_DOUBLE_EQ(field.evaluateOne(-1, -1, 5), -3 * pi / 4);
    }
    {
        auto e = equation("r+0*z+0*Θ");  // cylindrical r is the distance from the z axis
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(3, 4, 12), 5);
    }
    {
        auto e = equation("Φ");
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        EXPECT_DOUBLE_EQ(field.evaluateOne(0, 2, 7), pi / 2);
        EXPECT_DOUBLE_EQ(field.evaluateOne(-1, 0, 0), pi);
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
