#pragma once

#include <QTemporaryDir>

#include "app/context/ApplicationContext.h"

namespace plotwise::testing {

// A preference store in a folder of its own (or at `file`), a notification centre, and a
// context over both with the settings' defaults registered.
struct TestContext {
    explicit TestContext(DeviceClass device = DeviceClass::Phone, const QString& file = {})
        : store(file.isEmpty() ? folder.filePath(QStringLiteral("prefs.plist")) : file),
          context(store, center, device) {
        context.settings().registerDefaults();
    }

    QTemporaryDir folder;
    NotificationCenter center;
    PreferenceStore store;
    ApplicationContext context;
};

}  // namespace plotwise::testing
