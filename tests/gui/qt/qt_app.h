// The one QApplication of the Qt test program, made by whichever test needs
// it first, and where the tests leave their screenshots.
#pragma once

#include <QApplication>
#include <QDir>
#include <QString>

namespace korvane::testing {

inline QApplication& qt_app() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
    static int argc = 1;
    static char name[] = "test_gui_qt";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

inline QString screenshot_dir() {
    QString dir = qEnvironmentVariable("KORVANE_TEST_TMP", "build/test-tmp") + "/../screenshots";
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

}  // namespace korvane::testing
