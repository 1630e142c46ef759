// The OpenGL tests: a widget application on the X display (run under xvfb-run); without
// OpenGL every test fails.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The view is a QOpenGLWidget, which the offscreen platform cannot show: on a display,
    // the X platform, whatever the environment asks for the other (widget) tests.
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
