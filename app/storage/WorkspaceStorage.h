#pragma once

#include <QLatin1String>
#include <QVariantList>
#include <QVariantMap>
#include <memory>

#include "app/storage/PreferenceStore.h"
#include "equations/RVEquation.h"

namespace plotwise {

// The workspace in the preference store: each plane's equations and view state, and which plane
// was in front. The graph screens own the save and restore steps and call these for the storage
// part of each.
class WorkspaceStorage {
public:
    enum class Plane { TwoD, ThreeD };

    static constexpr QLatin1String currentExpressions2DKey{"currentExpressions2D"};
    static constexpr QLatin1String currentExpressions3DKey{"currentExpressions3D"};
    static constexpr QLatin1String viewState2DKey{"viewState2D"};
    static constexpr QLatin1String viewState3DKey{"viewState3D"};
    static constexpr QLatin1String is3DViewVisibleKey{"is3DViewVisible"};
    // The trace view's hidden flag in the 2D view state.
    static constexpr QLatin1String tracingKey{"tracing"};

    WorkspaceStorage() = delete;

    static QLatin1String expressionsKey(Plane plane);
    static QLatin1String viewStateKey(Plane plane);

    // Saving a plane, in one write: its equations' state dictionaries in order, its view state
    // (2D: with "tracing" set, so a restored plane starts with the trace hidden) and
    // "is3DViewVisible" (whether this is the 3D plane). Returns whether the store was written.
    static bool savePlaneStates(PreferenceStore& store, Plane plane, const QVariantList& states,
                                const QVariantMap& viewState);
    template <typename Equations>
    static bool savePlane(PreferenceStore& store, Plane plane, const Equations& equations,
                          const QVariantMap& viewState) {
        return savePlaneStates(store, plane, dictionariesWithState(equations), viewState);
    }

    // The stored view state; empty when missing (the view then keeps its own).
    static QVariantMap storedViewState(const PreferenceStore& store, Plane plane);
    // The stored equation states; empty when missing.
    static QVariantList storedEquationStates(const PreferenceStore& store, Plane plane);
    static bool is3DViewVisible(const PreferenceStore& store);

    // Restoring a plane's equations: `make(state, table)` builds an equation from each stored
    // dictionary in order (for instance RVEquation::equationWithStateFromDictionary or the 2D
    // and 3D counterparts) and `add(std::move(equation))` takes each one built. Entries that are
    // not dictionaries or yield no equation are skipped; the count skipped is returned.
    template <typename Make, typename Add>
    static int restoreEquations(const QVariantList& states, double* table, Make make, Add add) {
        int skipped = 0;
        for (const QVariant& state : states) {
            if (state.typeId() != QMetaType::QVariantMap) {
                ++skipped;
                continue;
            }
            auto equation = make(state.toMap(), table);
            if (!equation) {
                ++skipped;
                continue;
            }
            add(std::move(equation));
        }
        return skipped;
    }
};

}  // namespace plotwise
