#pragma once

#include <QStringList>

#include "app/storage/PreferenceStore.h"

// A sample of everything the application keeps in the preference store (every setting changed
// from its default, both planes of the workspace, numbers that a locale could garble), written
// by one process and checked by another.
namespace plotwise::testing {

// Writes the sample through the settings and workspace storage into `store`.
bool writePreferenceSample(PreferenceStore& store);

// What differs between `store` and the sample; empty when everything came back exactly.
QStringList preferenceSampleDifferences(const PreferenceStore& store);

}  // namespace plotwise::testing
