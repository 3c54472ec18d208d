#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <filesystem>

namespace halden::test {

// The environment of a program started by a test: offscreen, messages on standard error,
// and its settings, temporary files and runtime folder (where the programmer keeps its
// single-instance lock) under dir, away from the user's own and from every other test's.
// The runtime folder is made here, for the user alone, as a session has it.
inline QProcessEnvironment programEnvironment(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir / "runtime");
    std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HALDEN_MESSAGES", "console");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
    environment.insert("TMPDIR", QString::fromStdString((dir / "tmp").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir / "runtime").string()));
    return environment;
}

} // namespace halden::test
