#include <QApplication>
#include <QScreen>
#include <iostream>
#include <string>
#include <vector>

#include "app/context/ApplicationContext.h"
#include "app/platform/DeviceClassChoice.h"
#include "app/platform/TerminationSignalWatcher.h"
#include "app/rating/RVPWRatingPrompt.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/CommandLineOptions.h"
#include "app/shell/sharing/RVPWShareController.h"
#include "app/storage/ApplicationIdentity.h"

using namespace plotwise;

int main(int argc, char* argv[]) {
    // Answered before QApplication exists, which would abort without a display.
    const CommandLineOptions options =
        CommandLineOptions::parse(std::vector<std::string>(argv, argv + argc));
    switch (options.action) {
        case CommandLineOptions::Action::ShowHelp:
            std::cout << CommandLineOptions::helpText("plotwise");
            return 0;
        case CommandLineOptions::Action::ShowVersion:
            std::cout << CommandLineOptions::versionText();
            return 0;
        case CommandLineOptions::Action::UsageError:
            std::cerr << "plotwise: " << options.error << " (see plotwise --help)\n";
            return 2;
        case CommandLineOptions::Action::Run:
            break;
    }

    // The 3D view and its mirror on an external screen share textures and buffers.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    applyApplicationIdentity();
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Plotwise"));
    QApplication::setApplicationVersion(QStringLiteral(PLOTWISE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PLOTWISE_APP_ID));

    DeviceClass device = DeviceClass::Tablet;
    if (options.idiom) {
        device = *options.idiom;
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        device = deviceClassForScreen(screen->size().width(), screen->size().height());
    }

    TerminationSignalWatcher terminationWatcher;
    QObject::connect(&terminationWatcher, &TerminationSignalWatcher::terminationRequested,
                     &application, &QCoreApplication::quit);

    QStringList expressions;
    for (const std::string& expression : options.expressions) {
        expressions.append(QString::fromStdString(expression));
    }
    ApplicationContext context(PreferenceStore::standard(), NotificationCenter::defaultCenter(),
                               device);
    context.settings().registerDefaults();
    // Mail clients read their attachments late, so a launch clears only what earlier ones left.
    RVPWShareController::removeStaleMailFolders();
    AppDelegate delegate(context);
    delegate.setRatingPrompt(&RVPWRatingPrompt::sharedInstance());
    delegate.didFinishLaunching(expressions, options.expressionsIn3D);
    return QApplication::exec();
}
