#include "PreferenceSample.h"

#include <cmath>
#include <variant>

#include "StorageTestSupport.h"
#include "app/storage/RVPWSettingsManager.h"
#include "app/storage/WorkspaceStorage.h"
#include "engine/VariableTable.h"
#include "equations/RVEquation.h"

namespace plotwise::testing {

namespace {

using Plane = WorkspaceStorage::Plane;

QVariantMap equationState(const char* source, const char* color, bool visible, const char* caption,
                          const char* notes) {
    return {{RVEquation::expressionStringKey, QString::fromUtf8(source)},
            {RVEquation::expressionColorKey, QString::fromLatin1(color)},
            {RVEquation::expressionVisibleKey, visible},
            {RVEquation::expressionCaptionKey, QString::fromUtf8(caption)},
            {RVEquation::expressionNotesKey, QString::fromUtf8(notes)}};
}

QVariantList states2D() {
    return {equationState("y=x^2", "FF0000", true, "Parabola π", "<&> Θ\r\nsecond line"),
            equationState("r=4⋅cos(Θ)", "12AB34C0", false, "Circle", ""),
            equationState("y<sin(5r)", "00000080", true, "", "0.5 and 1,5")};
}

QVariantList states3D() {
    return {equationState("z=y^2/16-x^2/25", "ABCDEF", true, "Saddle", "notes"),
            equationState("r=2sin(5Φ)", "01020304", false, "Φ", "")};
}

QVariantMap viewState2D() {
    return {{"scrollX", 0.1},
            {"scrollY", -1234.5678},
            {"screenHalfWidth", 160.25},
            {"screenHalfHeight", 240.0},
            {"pixelUnitRatioX", 32.000000000000014},
            {"pixelUnitRatioY", 1e-7},
            {"tracing", false}};
}

QVariantMap viewState3D() {
    return {{"rotation", QVariantList{0.70710678118654757, -0.5, 1e-300, 2.5e300}},
            {"zoom", 1.0 / 3.0},
            {"tracing", false}};
}

// Every Boolean setting turned from its default, and a translucent default colour.
QVariantMap changedSettings() {
    QVariantMap settings;
    for (const auto& setting : RVPWSettingsManager::settings) {
        if (const bool* flag = std::get_if<bool>(&setting.defaultValue)) {
            settings.insert(setting.key, !*flag);
        } else {
            settings.insert(setting.key, QStringLiteral("12AB34C0"));
        }
    }
    return settings;
}

void compare(const QVariant& actual, const QVariant& expected, const QString& name,
             QStringList& differences) {
    QString where;
    if (!sameValue(actual, expected, &where)) {
        differences.append(name + QStringLiteral(": ") + where);
    }
}

}  // namespace

bool writePreferenceSample(PreferenceStore& store) {
    VariableTable table{};
    std::vector<std::unique_ptr<RVEquation>> plane2D;
    for (const QVariant& s : states2D()) {
        plane2D.push_back(RVEquation::equationWithStateFromDictionary(s.toMap(), table.data()));
    }
    std::vector<std::unique_ptr<RVEquation>> plane3D;
    for (const QVariant& s : states3D()) {
        plane3D.push_back(RVEquation::equationWithStateFromDictionary(s.toMap(), table.data()));
    }
    return store.setValues(changedSettings()) &&
           WorkspaceStorage::savePlane(store, Plane::TwoD, plane2D, viewState2D()) &&
           WorkspaceStorage::savePlane(store, Plane::ThreeD, plane3D, viewState3D());
}

QStringList preferenceSampleDifferences(const PreferenceStore& store) {
    QStringList differences;
    const QVariantMap settings = changedSettings();
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        compare(store.value(it.key()), it.value(), it.key(), differences);
    }
    compare(store.value("currentExpressions2D"), states2D(), "currentExpressions2D", differences);
    compare(store.value("currentExpressions3D"), states3D(), "currentExpressions3D", differences);
    QVariantMap traced = viewState2D();
    traced.insert("tracing", true);
    compare(store.value("viewState2D"), traced, "viewState2D", differences);
    compare(store.value("viewState3D"), viewState3D(), "viewState3D", differences);
    compare(store.value("is3DViewVisible"), true, "is3DViewVisible", differences);

    VariableTable table{};
    std::vector<std::unique_ptr<RVEquation>> restored;
    const int skipped = WorkspaceStorage::restoreEquations(
        WorkspaceStorage::storedEquationStates(store, Plane::TwoD), table.data(),
        &RVEquation::equationWithStateFromDictionary,
        [&restored](std::unique_ptr<RVEquation> equation) {
            restored.push_back(std::move(equation));
        });
    if (skipped != 0) {
        differences.append(QStringLiteral("%1 stored 2D equations did not load").arg(skipped));
    }
    compare(dictionariesWithState(restored), states2D(), "restored 2D equations", differences);
    return differences;
}

}  // namespace plotwise::testing
