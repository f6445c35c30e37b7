#pragma once

#include <QStringList>

#include <optional>

class UserDefaults;

// Facts about the running process, each computed on first read and then kept.
class Session
{
public:
    // The process's arguments and the standard settings; created once, also under concurrent
    // first use.
    static Session &shared();

    // arguments as the process received them, the executable path first.
    Session(QStringList arguments, const UserDefaults &defaults);

    // Launched with the argument "isUITest", or with a value under the settings key "isUITest"
    // (which includes a "-isUITest value" argument pair).
    [[nodiscard]] bool isUITest();
    // The executable path contains "CoreSimulator".
    [[nodiscard]] bool isSimulator();

private:
    QStringList m_arguments;
    const UserDefaults &m_defaults;
    std::optional<bool> m_isUITest;
    std::optional<bool> m_isSimulator;
};
