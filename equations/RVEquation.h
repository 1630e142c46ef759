#pragma once

#include <QColor>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <memory>

#include "engine/EquationType.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// One entry of a workspace or library: a parsed expression with its colour, visibility, caption,
// notes and selection mark, stored as a state dictionary. The 2D and 3D kinds derive from it and
// classify the expression (and compile it) in their setExpression.
class RVEquation {
public:
    // The keys of the state dictionary ("expressionVisibile" is spelled as files have it).
    static inline const QString expressionStringKey = QStringLiteral("expressionString");
    static inline const QString expressionColorKey = QStringLiteral("expressionColor");
    static inline const QString expressionVisibleKey = QStringLiteral("expressionVisibile");
    static inline const QString expressionCaptionKey = QStringLiteral("expressionCaption");
    static inline const QString expressionNotesKey = QStringLiteral("expressionNotes");

    RVEquation() = default;
    virtual ~RVEquation();
    RVEquation(const RVEquation&) = delete;
    RVEquation& operator=(const RVEquation&) = delete;

    // A new equation from a tree: opaque pure red, visible, empty caption and notes.
    static std::unique_ptr<RVEquation> equationWithOperationTree(
        std::unique_ptr<RVOperationTree> tree);
    // A new equation from a state dictionary whose variables read from `table` (six slots that
    // must outlive the equation); nullptr when "expressionString" is missing or does not parse.
    static std::unique_ptr<RVEquation> equationWithStateFromDictionary(const QVariantMap& state,
                                                                       double* table);

    // The two-step initialisers behind the factories, so that a subclass's factory runs its own
    // setExpression (a constructor cannot reach the override).
    void initWithOperationTree(std::unique_ptr<RVOperationTree> tree);
    bool initWithStateFromDictionary(const QVariantMap& state, double* table);

    // The five keys; "expressionColor" is left out when the equation has no colour, so that a
    // missing colour stays missing.
    QVariantMap dictionaryWithState() const;

    // Takes the tree and classifies it from its root: type 0..5 explicit in that variable, 6
    // implicit or a bare expression, 7 an inequality.
    virtual void setExpression(std::unique_ptr<RVOperationTree> tree);
    RVOperationTree* expression() const { return expression_.get(); }

    // The default colour for this type from the user's default colour (the settings'
    // defaultColor): alpha 0.5 for an inequality, so what lies under a region shows.
    QColor defaultColorForExpressionType(QColor defaultColor) const;
    void setDefaultColorForExpressionType(const QColor& defaultColor) {
        setColor(defaultColorForExpressionType(defaultColor));
    }

    EquationType type() const { return type_; }
    void setType(EquationType type) { type_ = type; }
    bool isRelop() const { return isRelop_; }
    void setIsRelop(bool isRelop) { isRelop_ = isRelop; }
    // Invalid when unset (a missing or unreadable stored colour).
    const QColor& color() const { return color_; }
    void setColor(const QColor& color) { color_ = color; }
    bool visible() const { return visible_; }
    virtual void setVisible(bool visible) { visible_ = visible; }
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { caption_ = caption; }
    const QString& notes() const { return notes_; }
    void setNotes(const QString& notes) { notes_ = notes; }
    bool selected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }

private:
    std::unique_ptr<RVOperationTree> expression_;
    EquationType type_ = EquationType::Implicit;
    bool isRelop_ = false;
    QColor color_;
    bool visible_ = true;
    QString caption_;
    QString notes_;
    bool selected_ = false;
};

// The state dictionaries of a range of equations (raw or smart pointers), in order.
template <typename Equations>
QVariantList dictionariesWithState(const Equations& equations) {
    QVariantList states;
    for (const auto& equation : equations) {
        states.append(equation->dictionaryWithState());
    }
    return states;
}

}  // namespace plotwise
