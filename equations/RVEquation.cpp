#include "equations/RVEquation.h"

#include "engine/ExpressionSummary.h"
#include "engine/RVParser.h"
#include "equations/ColorText.h"

namespace plotwise {

namespace {

// A stored Boolean: a Boolean or a number (non-zero is true); anything else is `fallback`.
bool storedBoolean(const QVariant& value, bool fallback) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool();
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
            return value.toDouble() != 0.0;
        default:
            return fallback;
    }
}

QString storedText(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

}  // namespace

RVEquation::~RVEquation() = default;

std::unique_ptr<RVEquation> RVEquation::equationWithOperationTree(
    std::unique_ptr<RVOperationTree> tree) {
    auto equation = std::make_unique<RVEquation>();
    equation->initWithOperationTree(std::move(tree));
    return equation;
}

std::unique_ptr<RVEquation> RVEquation::equationWithStateFromDictionary(const QVariantMap& state,
                                                                        double* table) {
    auto equation = std::make_unique<RVEquation>();
    if (!equation->initWithStateFromDictionary(state, table)) {
        return nullptr;
    }
    return equation;
}

void RVEquation::initWithOperationTree(std::unique_ptr<RVOperationTree> tree) {
    setExpression(std::move(tree));
    setColor(QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f));
    setVisible(true);
    setCaption(QString());
    setNotes(QString());
}

bool RVEquation::initWithStateFromDictionary(const QVariantMap& state, double* table) {
    const QVariant source = state.value(expressionStringKey);
    if (source.typeId() != QMetaType::QString) {
        return false;
    }
    RVParser parser;
    std::unique_ptr<RVOperationTree> tree = parser.parse(source.toString().toStdU16String(), table);
    if (!tree) {
        return false;
    }
    // A derivative is carried out now; one that outgrows the work budget leaves a half-done tree,
    // which is no equation.
    if (tree->containsDerivative()) {
        tree->simplify();
        if (tree->simplificationExhausted()) {
            return false;
        }
    }
    setExpression(std::move(tree));
    const QVariant color = state.value(expressionColorKey);
    setColor(color.typeId() == QMetaType::QString ? colorWithHexString(color.toString())
                                                  : QColor());
    setVisible(storedBoolean(state.value(expressionVisibleKey), true));
    setCaption(storedText(state.value(expressionCaptionKey)));
    setNotes(storedText(state.value(expressionNotesKey)));
    return true;
}

QVariantMap RVEquation::dictionaryWithState() const {
    QVariantMap state;
    state.insert(
        expressionStringKey,
        expression_ ? QString::fromStdU16String(expression_->expressionString()) : QString());
    if (color_.isValid()) {
        state.insert(expressionColorKey, hexStringFromColor(color_));
    }
    state.insert(expressionVisibleKey, visible_);
    state.insert(expressionCaptionKey, caption_);
    state.insert(expressionNotesKey, notes_);
    return state;
}

void RVEquation::setExpression(std::unique_ptr<RVOperationTree> tree) {
    expression_ = std::move(tree);
    ExpressionClassification classification;
    if (expression_) {
        classification = classifyExpression(*expression_);
    }
    type_ = classification.equationType;
    isRelop_ = classification.isRelation;
}

QColor RVEquation::defaultColorForExpressionType(QColor color) const {
    if (type_ == EquationType::Inequality) {
        color.setAlphaF(0.5f);
    }
    return color;
}

}  // namespace plotwise
