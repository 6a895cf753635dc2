// The one QApplication of a window test program (created on first use; the
// tests run on Qt's offscreen platform). The program's settings store is
// moved into a folder of the test process, removed when it ends, so that no
// test reads or writes the settings of the person running it.
#pragma once

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The folder that holds the settings of this test process.
inline const QTemporaryDir& TestSettingsFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/velmora-settings-XXXXXX"));
    return folder;
}

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "velmora-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QStandardPaths::setTestModeEnabled(true);
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, TestSettingsFolder().path());
        return new QApplication(argc, argv);
    }();
    return *app;
}
