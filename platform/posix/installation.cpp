// The start-up check of the POSIX hosts: the data tree the drive root maps
// to, and the player's own ZEBUNA.INI.
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "platform/posix/ini_check.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

StartCheck checkInstallation() {
    const std::string data = driveRoot();
    struct stat st;
    if (::stat(data.c_str(), &st) != 0)
        return {StartProblem::DataMissing, data, 0};
    if (!S_ISDIR(st.st_mode) || ::access(data.c_str(), R_OK | X_OK) != 0)
        return {StartProblem::DataUnreadable, data, 0};

    // Only the copy that lookups would read: not when --config names another.
    const std::string user = userConfigFile();
    if (user.empty() || nativePath(windowsDirectory() + "/ZEBUNA.INI") != user)
        return {};
    const posix_host::IniCheck ini = posix_host::checkIniFile(user);
    switch (ini.verdict) {
    case posix_host::IniVerdict::Good:
        return {};
    case posix_host::IniVerdict::Unreadable:
        return {StartProblem::ConfigUnreadable, user, 0};
    case posix_host::IniVerdict::Empty:
        return {StartProblem::ConfigEmpty, user, 0};
    case posix_host::IniVerdict::Damaged:
        return {StartProblem::ConfigDamaged, user, ini.line};
    }
    return {};
}

} // namespace platform
