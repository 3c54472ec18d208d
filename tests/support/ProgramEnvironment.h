#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <filesystem>

namespace halden::test {

// The environment of a program started by a test: offscreen, messages on standard error,
// and its settings, lock files and runtime folder under dir, away from the user's own.
inline QProcessEnvironment programEnvironment(const std::filesystem::path& dir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HALDEN_MESSAGES", "console");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
    environment.insert("TMPDIR", QString::fromStdString((dir / "tmp").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir / "runtime").string()));
    return environment;
}

} // namespace halden::test
