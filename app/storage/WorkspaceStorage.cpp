#include "app/storage/WorkspaceStorage.h"

namespace plotwise {

QLatin1String WorkspaceStorage::expressionsKey(Plane plane) {
    return plane == Plane::TwoD ? currentExpressions2DKey : currentExpressions3DKey;
}

QLatin1String WorkspaceStorage::viewStateKey(Plane plane) {
    return plane == Plane::TwoD ? viewState2DKey : viewState3DKey;
}

bool WorkspaceStorage::savePlaneStates(PreferenceStore& store, Plane plane,
                                       const QVariantList& states, const QVariantMap& viewState) {
    QVariantMap stored = viewState;
    if (plane == Plane::TwoD) {
        stored.insert(tracingKey, true);
    }
    QVariantMap values;
    values.insert(expressionsKey(plane), states);
    values.insert(viewStateKey(plane), stored);
    values.insert(is3DViewVisibleKey, plane == Plane::ThreeD);
    return store.setValues(values);
}

QVariantMap WorkspaceStorage::storedViewState(const PreferenceStore& store, Plane plane) {
    return store.dictionaryValue(viewStateKey(plane));
}

QVariantList WorkspaceStorage::storedEquationStates(const PreferenceStore& store, Plane plane) {
    return store.arrayValue(expressionsKey(plane));
}

bool WorkspaceStorage::is3DViewVisible(const PreferenceStore& store) {
    return store.boolValue(is3DViewVisibleKey);
}

}  // namespace plotwise
