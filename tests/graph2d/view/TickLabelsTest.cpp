#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graph2d/view/TickLabels.h"

namespace plotwise {
namespace {

// The major lines the painter labels: every multiple of `spacing` in [min, max], 0 left out.
std::vector<double> ticks(double min, double max, double spacing) {
    std::vector<double> values;
    const double first = std::ceil(min / spacing);
    for (int i = 0; i < 100; ++i) {
        const double at = spacing * (first + i);
        if (at > max) {
            break;
        }
        if (std::abs(at / spacing) >= 0.5) {
            values.push_back(at);
        }
    }
    return values;
}

// Far centres and deep zooms: neighbouring labels differ, each reads back within half a spacing
// of its line, and six significant digits stay wherever they already tell labels apart.
TEST(TickLabels, NeighboursDifferAtFarCentresAndDeepZooms) {
    struct Row {
        double centre;
        double halfWidth;
        double spacing;
        bool sixDigitsDiffer;
    };
    const Row rows[] = {
        {0, 5, 1, true},
        {0, 5e-6, 1e-6, true},
        {3.5, 0.004, 0.001, true},
        {100000, 0.4, 0.1, false},
        {1000.71, 0.004, 0.001, false},
        {1000.71, 4e-5, 1e-5, false},
        {1e6, 0.004, 0.001, false},
        {-123456.7, 0.04, 0.01, false},
        {1e12, 5e-3, 1e-3, false},
    };
    for (const Row& row : rows) {
        const std::vector<double> values =
            ticks(row.centre - row.halfWidth, row.centre + row.halfWidth, row.spacing);
        ASSERT_GE(values.size(), 3u) << row.centre;
        const std::vector<QString> texts = TickLabels::texts(values);
        ASSERT_EQ(texts.size(), values.size());
        bool sixDiffer = true;
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_NEAR(texts[i].toDouble(), values[i], row.spacing / 2)
                << row.centre << ": " << texts[i].toStdString();
            if (i > 0) {
                EXPECT_NE(texts[i], texts[i - 1]) << row.centre << " spacing " << row.spacing;
                sixDiffer = sixDiffer && QString::number(values[i], 'g', 6) !=
                                             QString::number(values[i - 1], 'g', 6);
            }
        }
        EXPECT_EQ(sixDiffer, row.sixDigitsDiffer) << row.centre;
        if (sixDiffer) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                EXPECT_EQ(texts[i], QString::number(values[i], 'g', 6));
            }
        }
    }
}

}  // namespace
}  // namespace plotwise
