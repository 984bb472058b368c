// Shared helpers of the shell tests: scratch folders, files, the main window.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

#include "scripted_prompts.hpp"
#include "shell/main_window.hpp"

namespace kestrova::testing {

// A fresh scratch folder for one test case.
inline QString ScratchDir(const QString& name) {
    QDir dir(QString(KESTROVA_TEST_TMP) + "/" + name);
    dir.removeRecursively();
    QDir().mkpath(dir.path());
    return dir.absolutePath();
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

// Lines joined with CR LF after each, as the program writes them.
inline QByteArray CrLf(const std::vector<std::string>& lines) {
    QByteArray out;
    for (const std::string& l : lines) out += QByteArray::fromStdString(l) + "\r\n";
    return out;
}

// The main window with scripted dialogs.
struct Shell {
    ScriptedPrompts* prompts;
    std::unique_ptr<TFMain_velka> main;
    Shell() {
        auto p = std::make_unique<ScriptedPrompts>();
        prompts = p.get();
        main = std::make_unique<TFMain_velka>(std::move(p));
        main->show();
        if (!QTest::qWaitForWindowExposed(main.get())) qWarning("main window not exposed");
    }
};

}  // namespace kestrova::testing
