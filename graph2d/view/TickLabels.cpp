#include "graph2d/view/TickLabels.h"

#include <cstddef>

namespace plotwise {

namespace {

constexpr int kDefaultDigits = 6;
// Beyond this a double has no more digits to show.
constexpr int kMostDigits = 17;

std::vector<QString> withDigits(const std::vector<double>& values, int digits) {
    std::vector<QString> texts;
    texts.reserve(values.size());
    for (const double value : values) {
        texts.push_back(QString::number(value, 'g', digits));
    }
    return texts;
}

bool neighboursDiffer(const std::vector<QString>& texts) {
    for (std::size_t i = 1; i < texts.size(); ++i) {
        if (texts[i] == texts[i - 1]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<QString> TickLabels::texts(const std::vector<double>& values) {
    std::vector<QString> texts = withDigits(values, kDefaultDigits);
    for (int digits = kDefaultDigits + 1; digits <= kMostDigits && !neighboursDiffer(texts);
         ++digits) {
        texts = withDigits(values, digits);
    }
    return texts;
}

}  // namespace plotwise
