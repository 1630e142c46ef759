// A second process for the storage tests: "write" stores the preference sample, "verify" reads
// it back, through the standard store of the application's names and the XDG folders it is
// given. Prints the decimal point of its C locale, so a test can see which locale it ran under.
#include <QCoreApplication>
#include <clocale>
#include <cstdio>

#include "PreferenceSample.h"
#include "app/storage/ApplicationIdentity.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/RVPWSettingsManager.h"
#include "equations/ColorText.h"

int main(int argc, char** argv) {
    using namespace plotwise;
    QCoreApplication application(argc, argv);
    applyApplicationIdentity();
    const RVPWSettingsManager settings(PreferenceStore::standard());
    settings.registerDefaults();
    std::fputs("decimal point: ", stdout);
    std::fputs(std::localeconv()->decimal_point, stdout);
    std::fputs("\n", stdout);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.size() > 1 ? arguments[1] : QString();

    if (mode == "write") {
        return testing::writePreferenceSample(PreferenceStore::standard()) ? 0 : 1;
    }
    if (mode == "verify") {
        QStringList differences = testing::preferenceSampleDifferences(PreferenceStore::standard());
        // The settings as their readers see them.
        if (!settings.canHideToolbar() || settings.shakeEnabled() || !settings.display3DValues() ||
            settings.useRandomDefaultColor()) {
            differences.append("settings accessors");
        }
        if (hexStringFromColor(settings.defaultColor()) != "12AB34C0") {
            differences.append("defaultColor");
        }
        for (const QString& difference : differences) {
            std::fputs(qPrintable(difference + u'\n'), stderr);
        }
        return differences.isEmpty() ? 0 : 1;
    }
    std::fputs("usage: plotwise-tests-preference-helper write|verify\n", stderr);
    return 2;
}
