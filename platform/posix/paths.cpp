// Path mapping of the POSIX hosts: Windows paths of the program onto the
// native file system, with a drive root, a Windows directory, case-blind
// lookup of names and the ZEBUNA.INI override: the --config file, else the
// player's own copy.
#include "platform/cp1252.h"
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "platform/posix/casefold.h"
#include "platform/posix/install_layout.h"
#include "platform/posix/regular_file.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string explicitRoot;   // set by setDriveRoot; empty: default
std::string defaultRoot;    // computed on first use
std::string explicitWinDir; // set by setWindowsDirectory; empty: default
std::string envWinDir;      // $ZEBUNA_WINDIR made absolute on first use
bool envWinDirRead = false;
std::string overrideFile; // setConfigOverride; empty: none
bool userConfigIgnored = false;

// Absolute, lexically normal, no trailing slash (except "/").
std::string absoluteDirectory(const std::string &dir) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(dir), ec);
    if (ec)
        p = fs::path(dir);
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

std::string envValue(const char *name) {
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string readExeLink() {
    std::vector<char> buffer(1024);
    while (buffer.size() <= 65536) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

bool entryExists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name folds to `name`; the bytewise smallest when
// several do. Empty when none.
std::string findFolded(const std::string &dir, std::string_view name) {
    DIR *d = opendir(dir.c_str());
    if (!d)
        return {};
    std::string best;
    while (const dirent *e = readdir(d)) {
        std::string_view entry(e->d_name);
        if (entry == "." || entry == "..")
            continue;
        if (posix_host::equalFolded(entry, name) && (best.empty() || entry < best))
            best = std::string(entry);
    }
    closedir(d);
    return best;
}

std::string join(const std::string &dir, std::string_view name) {
    if (dir.empty())
        return std::string(name);
    if (dir.back() == '/')
        return dir + std::string(name);
    return dir + "/" + std::string(name);
}

// Walks the components of `rest` from `base` ("" for the current directory,
// else an absolute directory), replacing each component that does not exist
// as written by an entry of the same name in another case.
std::string resolve(const std::string &base, std::string_view rest) {
    std::string out = base;
    bool missing = false; // a component was not found: no lookups beyond it
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t slash = rest.find('/', pos);
        if (slash == std::string_view::npos)
            slash = rest.size();
        std::string_view part = rest.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty())
            continue;
        std::string candidate = join(out, part);
        if (!missing && part != "." && part != ".." && !entryExists(candidate)) {
            std::string found = findFolded(out.empty() ? "." : out, part);
            if (found.empty())
                missing = true;
            else
                candidate = join(out, found);
        }
        out = std::move(candidate);
    }
    return out;
}

// Maps a path of the program to a native path, without the override.
std::string mapBytes(const std::string &path) {
    if (path.empty())
        return {};
    std::string s = path;
    for (char &c : s)
        if (c == '\\')
            c = '/';
    const bool trailing = s.back() == '/';

    std::string base; // "" relative, else absolute
    std::string_view rest(s);
    const unsigned char first = static_cast<unsigned char>(s[0]);
    const bool drive = s.size() >= 2 && s[1] == ':' &&
                       ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
    if (drive) {
        rest.remove_prefix(2);
        // "X:\dir" is the drive root; "X:dir" is relative to the current
        // directory (every drive letter is the current drive).
        if (!rest.empty() && rest[0] == '/')
            base = platform::driveRoot();
    } else if (path[0] == '\\') {
        base = platform::driveRoot();
    } else if (s[0] == '/') {
        base = "/";
    }

    std::string out = resolve(base, rest);
    if (out.empty())
        out = ".";
    if (trailing && out.back() != '/')
        out += '/';
    return out;
}

bool isUtf8(const std::string &text) {
    platform::Utf8Check check;
    for (const char c : text)
        check.feed(static_cast<uint8_t>(c));
    return check.valid();
}

// The program's paths are Windows-1252 (those of ZEBUNA.INI among them); a
// name the file system does not hold as written is looked for in UTF-8, the
// encoding of the names people give their files.
std::string mapPath(const std::string &path) {
    std::string native = mapBytes(path);
    if (native.empty() || entryExists(native) || isUtf8(path))
        return native;
    std::string utf8 = mapBytes(platform::cp1252ToUtf8(path));
    return entryExists(utf8) ? utf8 : native;
}

// Whether two native directories are the same, case-blind like the names.
bool sameDirectory(const std::string &a, const std::string &b) {
    const std::string na = absoluteDirectory(a), nb = absoluteDirectory(b);
    if (posix_host::equalFolded(na, nb))
        return true;
    std::error_code ec;
    return fs::equivalent(na, nb, ec) && !ec;
}

bool windowsDirectoryGiven() {
    return !explicitWinDir.empty() || !envValue("ZEBUNA_WINDIR").empty();
}

// The file that stands for ZEBUNA.INI in the Windows directory: the --config
// file; else the player's own copy, when there is one and no Windows
// directory was given. Empty: the Windows directory's own.
std::string effectiveOverride() {
    if (!overrideFile.empty())
        return overrideFile;
    if (userConfigIgnored || windowsDirectoryGiven())
        return {};
    std::string user = platform::userConfigFile();
    return !user.empty() && entryExists(user) ? user : std::string();
}

// Whether `native` names ZEBUNA.INI in the Windows directory.
bool isOverridden(const std::string &native, const std::string &override) {
    if (override.empty() || native.empty() || native.back() == '/')
        return false;
    const size_t slash = native.rfind('/');
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (!posix_host::equalFolded(name, "ZEBUNA.INI"))
        return false;
    std::string dir = slash == std::string::npos ? std::string(".") : native.substr(0, slash);
    if (dir.empty())
        dir = "/";
    return sameDirectory(dir, mapPath(platform::windowsDirectory()));
}

} // namespace

namespace platform {

void setDriveRoot(const std::string &directory) {
    explicitRoot = directory.empty() ? std::string() : absoluteDirectory(directory);
    defaultRoot.clear();
}

std::string driveRoot() {
    if (!explicitRoot.empty())
        return explicitRoot;
    if (defaultRoot.empty()) {
        std::string env = envValue("ZEBUNA_ROOT");
        if (!env.empty()) {
            defaultRoot = absoluteDirectory(env);
        } else {
            defaultRoot = posix_host::installedDataTree();
        }
    }
    return defaultRoot;
}

void setWindowsDirectory(const std::string &directory) {
    explicitWinDir = directory.empty() ? std::string() : absoluteDirectory(directory);
    envWinDir.clear();
    envWinDirRead = false;
}

void setConfigOverride(const std::string &file) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(file), ec);
    overrideFile =
        file.empty() ? std::string() : (ec ? fs::path(file) : p).lexically_normal().string();
}

std::string configOverride() {
    return overrideFile;
}

std::string userConfigFile() {
    std::string base = envValue("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (base.empty() || base[0] != '/') {
        std::string home = envValue("HOME");
        if (home.empty())
            if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_dir)
                home = entry->pw_dir;
        if (home.empty())
            return {};
        base = join(home, ".config");
    }
    return join(join(base, "galdrino"), "ZEBUNA.INI");
}

void ignoreUserConfig(bool ignored) {
    userConfigIgnored = ignored;
}

std::string nativePath(const std::string &path) {
    std::string native = mapPath(path);
    std::string override = effectiveOverride();
    return isOverridden(native, override) ? override : native;
}

bool fileExists(const std::string &path) {
    std::string native = mapPath(path);
    if (isOverridden(native, effectiveOverride()))
        return true;
    return posix_host::isRegularFile(native);
}

bool directoryExists(const std::string &path) {
    const std::string native = mapPath(path);
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string currentDirectory() {
    std::vector<char> buffer(1024);
    while (buffer.size() <= (1u << 20)) {
        if (getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

bool setCurrentDirectory(const std::string &path) {
    std::string native = nativePath(path);
    return !native.empty() && chdir(native.c_str()) == 0;
}

std::string windowsDirectory() {
    if (!explicitWinDir.empty())
        return explicitWinDir;
    if (!envWinDirRead) {
        std::string env = envValue("ZEBUNA_WINDIR");
        envWinDir = env.empty() ? std::string() : absoluteDirectory(env);
        envWinDirRead = true;
    }
    if (!envWinDir.empty())
        return envWinDir;
    return join(platform::driveRoot(), "windows");
}

std::string moduleFileName() {
    return readExeLink();
}

} // namespace platform

namespace posix_host {

std::string besideProgram(const std::string &relative) {
    const fs::path exe(readExeLink());
    const fs::path dir = exe.empty() ? fs::current_path() : exe.parent_path();
    return absoluteDirectory((dir / relative).string());
}

std::string installedDataTree() {
    return besideProgram(ZEB_DATA_FROM_PROGRAM);
}

std::string installedLibraryDirectory() {
    return besideProgram(ZEB_LIBRARIES_FROM_PROGRAM);
}

} // namespace posix_host
