// The POSIX host's path mapping (platform/posix/paths.cpp) and platform::File.
#include "platform/file.h"
#include "platform/host_settings.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> getEnv(const char *name) {
    const char *v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

void restoreEnv(const char *name, const std::optional<std::string> &value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

void writeFile(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// A drive root in a fresh temporary directory:
//   Talvek/SOM/Quibo2/gdinic.Wav   Talvek/SOM/letras/_65.wav   Talvek/QueloTTS/
//   windows/zebuna.ini   Exact/a.txt   Exact/A.TXT   Acentos/ação/x.txt (Windows-1252)
//   Sinais/× (byte 215)
class PosixPaths : public ::testing::Test {
protected:
    void SetUp() override {
        savedCwd_ = fs::current_path();
        savedRoot_ = platform::driveRoot();
        savedOverride_ = platform::configOverride();
        savedRootEnv_ = getEnv("ZEBUNA_ROOT");
        savedWinEnv_ = getEnv("ZEBUNA_WINDIR");
        unsetenv("ZEBUNA_WINDIR");

        std::string pattern = (fs::temp_directory_path() / "zebpathsXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ + "/Talvek/SOM/Quibo2");
        fs::create_directories(root_ + "/Talvek/SOM/letras");
        fs::create_directories(root_ + "/Talvek/QueloTTS");
        fs::create_directories(root_ + "/windows");
        fs::create_directories(root_ + "/Exact");
        fs::create_directories(root_ + "/Acentos/a\xe7\xe3o");
        fs::create_directories(root_ + "/Sinais");
        writeFile(root_ + "/Talvek/SOM/Quibo2/gdinic.Wav", "RIFF0123456789");
        writeFile(root_ + "/Talvek/SOM/letras/_65.wav", "A");
        writeFile(root_ + "/windows/zebuna.ini", "[S]\nk=windows\n");
        writeFile(root_ + "/Exact/a.txt", "lower");
        writeFile(root_ + "/Exact/A.TXT", "upper");
        writeFile(root_ + "/Acentos/a\xe7\xe3o/x.txt", "x");
        writeFile(root_ + "/Sinais/\xd7", "times");

        platform::setDriveRoot(root_);
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
    }

    void TearDown() override {
        fs::current_path(savedCwd_);
        restoreEnv("ZEBUNA_ROOT", savedRootEnv_);
        restoreEnv("ZEBUNA_WINDIR", savedWinEnv_);
        platform::setDriveRoot(savedRoot_);
        platform::setWindowsDirectory("");
        platform::setConfigOverride(savedOverride_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // "R" at the start of an expected path stands for the drive root.
    std::string expand(const std::string &s) const {
        return s.rfind("R", 0) == 0 ? root_ + s.substr(1) : s;
    }

    std::string root_;
    fs::path savedCwd_;
    std::string savedRoot_, savedOverride_;
    std::optional<std::string> savedRootEnv_, savedWinEnv_;
};

struct PathCase {
    const char *input;
    const char *expected;
};

TEST_F(PosixPaths, MapsWindowsAndNativePaths) {
    const std::vector<PathCase> cases = {
        // drive letters, any case, map to the drive root; lookup at every level
        {"C:\\TALVEK\\SOM\\QUIBO2\\GDINIC.WAV", "R/Talvek/SOM/Quibo2/gdinic.Wav"},
        {"c:\\talvek\\som\\quibo2\\gdinic.wav", "R/Talvek/SOM/Quibo2/gdinic.Wav"},
        {"d:\\Talvek\\SOM\\Quibo2\\gdinic.Wav", "R/Talvek/SOM/Quibo2/gdinic.Wav"},
        {"Z:/talvek/som/letras/_65.WAV", "R/Talvek/SOM/letras/_65.wav"},
        // no drive: the drive root too; trailing separators kept
        {"\\talvek\\quelotts\\", "R/Talvek/QueloTTS/"},
        {"\\talvek\\quelotts", "R/Talvek/QueloTTS"},
        {"c:\\talvek\\som\\letras\\", "R/Talvek/SOM/letras/"},
        {"c:\\", "R/"},
        {"\\", "R/"},
        {"c:\\talvek\\\\som", "R/Talvek/SOM"},
        // a missing component ends the lookup; the rest stays as written
        {"c:\\nada\\TALVEK\\X.WAV", "R/nada/TALVEK/X.WAV"},
        {"c:\\talvek\\som\\NOVO.WAV", "R/Talvek/SOM/NOVO.WAV"},
        // a name that exists as written wins over other cases
        {"c:\\exact\\A.TXT", "R/Exact/A.TXT"},
        {"c:\\exact\\a.txt", "R/Exact/a.txt"},
        // Windows-1252 letters fold (ÇÃ / çã); × and ÷ are not letters
        {"c:\\ACENTOS\\A\xc7\xc3O\\X.TXT", "R/Acentos/a\xe7\xe3o/x.txt"},
        {"c:\\sinais\\\xf7", "R/Sinais/\xf7"},
        {"c:\\talvek\\..\\WINDOWS\\ZEBUNA.INI", "R/Talvek/../windows/zebuna.ini"},
        // native paths: kept, with the same lookup and backslashes turned
        {"R/talvek/som/QUIBO2/", "R/Talvek/SOM/Quibo2/"},
        {"R\\TALVEK\\som", "R/Talvek/SOM"},
        {"R/windows\\ZEBUNA.INI", "R/windows/zebuna.ini"},
    };
    for (const PathCase &c : cases)
        EXPECT_EQ(platform::nativePath(expand(c.input)), expand(c.expected)) << c.input;
}

// The program's Windows-1252 path of a file people named in UTF-8.
TEST_F(PosixPaths, Windows1252NamesFindUtf8Files) {
    fs::create_directories(root_ + "/Listas");
    writeFile(root_ + "/Listas/ma\xc3\xa7\xc3\xa3.pal", "MACA");
    EXPECT_EQ(platform::nativePath("c:\\listas\\ma\xe7\xe3.pal"),
              root_ + "/Listas/ma\xc3\xa7\xc3\xa3.pal");
    // a path already in UTF-8 is kept, and one found nowhere stays as written
    EXPECT_EQ(platform::nativePath(root_ + "/Listas/ma\xc3\xa7\xc3\xa3.pal"),
              root_ + "/Listas/ma\xc3\xa7\xc3\xa3.pal");
    EXPECT_EQ(platform::nativePath("c:\\listas\\p\xeara.pal"), root_ + "/Listas/p\xeara.pal");
}

TEST_F(PosixPaths, RelativePathsStayRelative) {
    ASSERT_TRUE(platform::setCurrentDirectory("c:\\talvek"));
    const std::vector<PathCase> cases = {
        {"som\\letras\\_65.WAV", "SOM/letras/_65.wav"},
        {"SOM\\", "SOM/"},
        {"c:som\\quibo2", "SOM/Quibo2"}, // a drive without a backslash: current directory
        {"c:", "."},
        {".\\som", "./SOM"},
        {"..\\windows", "../windows"},
        {"novo\\x.wav", "novo/x.wav"},
        {"", ""},
    };
    for (const PathCase &c : cases)
        EXPECT_EQ(platform::nativePath(c.input), c.expected) << c.input;
    EXPECT_TRUE(platform::fileExists("som\\letras\\_65.wav"));
}

TEST_F(PosixPaths, RootDirectoryAsDriveRoot) {
    platform::setDriveRoot("/");
    EXPECT_EQ(platform::driveRoot(), "/");
    EXPECT_EQ(platform::nativePath(std::string("c:") + root_ + "/talvek"), root_ + "/Talvek");
    EXPECT_EQ(platform::nativePath("c:\\"), "/");
    EXPECT_EQ(platform::windowsDirectory(), "/windows");
}

TEST_F(PosixPaths, DriveRootIsAbsoluteWithoutTrailingSlash) {
    platform::setDriveRoot(root_ + "/Talvek/");
    EXPECT_EQ(platform::driveRoot(), root_ + "/Talvek");
    fs::current_path(root_);
    platform::setDriveRoot("Talvek/SOM/../SOM");
    EXPECT_EQ(platform::driveRoot(), root_ + "/Talvek/SOM");
    fs::current_path("/");
    EXPECT_EQ(platform::driveRoot(), root_ + "/Talvek/SOM");
}

TEST_F(PosixPaths, DriveRootDefaults) {
    setenv("ZEBUNA_ROOT", (root_ + "/Talvek").c_str(), 1);
    platform::setDriveRoot("");
    EXPECT_EQ(platform::driveRoot(), root_ + "/Talvek");
    EXPECT_EQ(platform::windowsDirectory(), root_ + "/Talvek/windows");

    unsetenv("ZEBUNA_ROOT");
    platform::setDriveRoot("");
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(platform::driveRoot(),
              (exe.parent_path().parent_path() / "share" / "galdrino").lexically_normal().string());
}

TEST_F(PosixPaths, WindowsDirectory) {
    EXPECT_EQ(platform::windowsDirectory(), root_ + "/windows");
    setenv("ZEBUNA_WINDIR", (root_ + "/Exact/").c_str(), 1);
    platform::setWindowsDirectory("");
    EXPECT_EQ(platform::windowsDirectory(), root_ + "/Exact");
    platform::setWindowsDirectory(root_ + "/Acentos");
    EXPECT_EQ(platform::windowsDirectory(), root_ + "/Acentos");
    unsetenv("ZEBUNA_WINDIR");
    platform::setWindowsDirectory("");
    EXPECT_EQ(platform::windowsDirectory(), root_ + "/windows");
    // the way readConfig builds the name
    EXPECT_TRUE(platform::fileExists(platform::windowsDirectory() + "\\ZEBUNA.INI"));
}

TEST_F(PosixPaths, FilesAndDirectoriesExist) {
    const struct {
        std::string path;
        bool file, directory;
    } cases[] = {
        {"C:\\TALVEK\\SOM\\QUIBO2\\GDINIC.WAV", true, false},
        {root_ + "/talvek/som/quibo2/gdinic.wav", true, false},
        {"c:\\talvek\\som\\quibo2\\nada.wav", false, false},
        {"c:\\talvek\\som", false, true},
        {"c:\\TALVEK\\som\\", false, true},
        {root_ + "/Talvek/SOM/", false, true},
        {"c:\\talvek\\nada\\", false, false},
        {"", false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(platform::fileExists(c.path), c.file) << c.path;
        EXPECT_EQ(platform::directoryExists(c.path), c.directory) << c.path;
    }
}

TEST_F(PosixPaths, CurrentDirectory) {
    ASSERT_TRUE(platform::setCurrentDirectory("C:\\TALVEK\\SOM\\"));
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(root_ + "/Talvek/SOM").string());
    EXPECT_TRUE(platform::setCurrentDirectory("c:")); // the drive alone: no change
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(root_ + "/Talvek/SOM").string());
    EXPECT_TRUE(platform::setCurrentDirectory("letras"));
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(root_ + "/Talvek/SOM/letras").string());
    EXPECT_FALSE(platform::setCurrentDirectory("c:\\nada"));
    EXPECT_FALSE(platform::setCurrentDirectory(""));
    EXPECT_EQ(platform::currentDirectory(), fs::canonical(root_ + "/Talvek/SOM/letras").string());
}

TEST_F(PosixPaths, ModuleFileName) {
    EXPECT_EQ(platform::moduleFileName(), fs::read_symlink("/proc/self/exe").string());
}

TEST_F(PosixPaths, ConfigOverride) {
    const std::string other = root_ + "/Exact/outro.ini";
    writeFile(other, "[S]\nk=override\n");
    EXPECT_EQ(platform::configOverride(), "");
    platform::setConfigOverride(other);
    EXPECT_EQ(platform::configOverride(), other);

    const std::vector<std::string> overridden = {
        platform::windowsDirectory() + "\\ZEBUNA.INI",
        platform::windowsDirectory() + "/zebuna.ini",
        "c:\\WINDOWS\\Zebuna.Ini",
        "\\windows\\ZEBUNA.INI",
        "c:\\talvek\\..\\windows\\ZEBUNA.INI",
    };
    for (const std::string &p : overridden) {
        EXPECT_EQ(platform::nativePath(p), other) << p;
        EXPECT_TRUE(platform::fileExists(p)) << p;
    }
    EXPECT_EQ(platform::profileString("ZEBUNA.INI", "S", "K", "", 80), "override");

    // other names in the Windows directory, and ZEBUNA.INI elsewhere, are not
    EXPECT_EQ(platform::nativePath("c:\\windows\\ZEBUNA.BAK"), root_ + "/windows/ZEBUNA.BAK");
    EXPECT_EQ(platform::nativePath("c:\\windows\\"), root_ + "/windows/");
    EXPECT_EQ(platform::nativePath("c:\\talvek\\ZEBUNA.INI"), root_ + "/Talvek/ZEBUNA.INI");
    EXPECT_FALSE(platform::fileExists("c:\\talvek\\ZEBUNA.INI"));

    // also when the Windows directory does not exist
    platform::setWindowsDirectory(root_ + "/semjanelas");
    EXPECT_FALSE(platform::fileExists(root_ + "/semjanelas/OUTRO.INI"));
    EXPECT_TRUE(platform::fileExists(platform::windowsDirectory() + "\\ZEBUNA.INI"));
    EXPECT_EQ(platform::profileString("zebuna.ini", "s", "k", "", 80), "override");

    // a relative override is taken from the current directory when set
    fs::current_path(root_ + "/Exact");
    platform::setConfigOverride("outro.ini");
    fs::current_path("/");
    EXPECT_EQ(platform::nativePath(platform::windowsDirectory() + "\\ZEBUNA.INI"), other);

    platform::setConfigOverride("");
    platform::setWindowsDirectory("");
    EXPECT_EQ(platform::nativePath("c:\\WINDOWS\\Zebuna.Ini"), root_ + "/windows/zebuna.ini");
    EXPECT_EQ(platform::profileString("ZEBUNA.INI", "S", "K", "", 80), "windows");
}

// ---- platform::File ---------------------------------------------------------

using PosixFile = PosixPaths;

TEST_F(PosixFile, ReadsThroughTheMapping) {
    platform::File f;
    ASSERT_TRUE(f.open("C:\\TALVEK\\SOM\\QUIBO2\\GDINIC.WAV"));
    EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(f.size(), 14);
    char buf[8] = {};
    ASSERT_TRUE(f.readExact(buf, 4));
    EXPECT_EQ(std::string(buf, 4), "RIFF");
    EXPECT_EQ(f.tell(), 4);
    EXPECT_EQ(f.size(), 14); // the position is kept
    EXPECT_EQ(f.tell(), 4);
    EXPECT_TRUE(f.skip(2));
    EXPECT_EQ(f.read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_TRUE(f.seek(12));
    EXPECT_FALSE(f.atEnd());
    EXPECT_EQ(f.tell(), 12);
    EXPECT_FALSE(f.readExact(buf, 4)); // only 2 left
    EXPECT_TRUE(f.atEnd());
    EXPECT_FALSE(f.seek(-1));
    f.close();
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.read(buf, 1), 0u);
    EXPECT_EQ(f.size(), -1);
    EXPECT_EQ(f.tell(), -1);
}

TEST_F(PosixFile, FailsOnMissingFilesAndDirectories) {
    platform::File f;
    EXPECT_FALSE(f.open("c:\\talvek\\som\\nada.wav"));
    EXPECT_FALSE(f.open("c:\\talvek\\som"));
    EXPECT_FALSE(f.open(""));
    EXPECT_FALSE(f.isOpen());
}

// A FIFO no one writes, a device and a directory are no files to read: each
// is refused at once, never waited on (a wait here would hit the test's
// time limit).
TEST_F(PosixFile, RefusesWhatIsNotARegularFile) {
    const std::string fifo = root_ + "/Talvek/SOM/Quibo2/lista.pal";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const char *const paths[] = {"c:\\talvek\\som\\quibo2\\LISTA.PAL", "/dev/zero", "/dev/null",
                                 "c:\\talvek\\som"};
    for (const char *path : paths) {
        platform::File f;
        EXPECT_FALSE(f.open(path)) << path;
        EXPECT_FALSE(platform::fileExists(path)) << path;
        std::string content = "x";
        EXPECT_FALSE(platform::readWholeFile(path, content, 100)) << path;
        EXPECT_EQ(content, "");
    }
    // A file opened for reading reads in the ordinary (blocking) way.
    platform::File f;
    ASSERT_TRUE(f.open("c:\\talvek\\som\\letras\\_65.wav"));
    char byte = 0;
    EXPECT_EQ(f.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 'A');
}

TEST_F(PosixFile, WritesAndMoves) {
    platform::File f;
    ASSERT_TRUE(f.open("C:\\TALVEK\\som\\Novo.wav", "wb"));
    EXPECT_EQ(f.write("abcdef", 6), 6u);
    EXPECT_EQ(f.size(), 6); // pending writes counted
    platform::File g(std::move(f));
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(g.isOpen());
    platform::File h;
    h = std::move(g);
    EXPECT_TRUE(h.isOpen());
    h.close();
    std::string content;
    ASSERT_TRUE(platform::readWholeFile(root_ + "/Talvek/SOM/Novo.wav", content, 100));
    EXPECT_EQ(content, "abcdef");
}

TEST_F(PosixFile, ReadWholeFile) {
    std::string out = "stale";
    ASSERT_TRUE(platform::readWholeFile("c:\\talvek\\som\\quibo2\\gdinic.wav", out, 14));
    EXPECT_EQ(out, "RIFF0123456789");
    EXPECT_FALSE(platform::readWholeFile("c:\\talvek\\som\\quibo2\\gdinic.wav", out, 13));
    EXPECT_FALSE(platform::readWholeFile("c:\\talvek\\nada", out, 100));
    writeFile(root_ + "/vazio", "");
    ASSERT_TRUE(platform::readWholeFile("c:\\VAZIO", out, 0));
    EXPECT_EQ(out, "");
}

} // namespace
