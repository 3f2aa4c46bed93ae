// The host settings on Windows (platform/win32/win32_config_override.cpp):
// a drive root and a Windows directory given by the tests, and the --config
// file standing for ZEBUNA.INI.
#include "platform/file.h"
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class Win32Host : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDriveRoot(root_.path());
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
    }
    void TearDown() override {
        std::filesystem::current_path(savedDirectory_);
        platform::setDriveRoot("");
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
    }

    static std::string read(const std::string &path) {
        std::string bytes;
        return platform::readWholeFile(path, bytes, 1000) ? bytes : "<none>";
    }
    static std::string value(const std::string &file, const std::string &def = "def") {
        return platform::profileString(file, "S", "K", def, 80);
    }
    // A directory name found nowhere on the real drives.
    std::string uniqueName() const {
        return std::filesystem::path(root_.path()).filename().string();
    }

    std::filesystem::path savedDirectory_ = std::filesystem::current_path();
    test_support::TempDir root_;
};

TEST_F(Win32Host, PathsWrittenFromTheRootLieBelowTheDriveRoot) {
    const std::string dir = "talvek\\" + uniqueName();
    test_support::writeFile(root_.file("talvek/" + uniqueName() + "/a.txt"), "a");
    EXPECT_EQ(read("c:\\" + dir + "\\a.txt"), "a");
    EXPECT_EQ(read("D:\\" + dir + "\\a.txt"), "a"); // every drive letter
    EXPECT_EQ(read("\\" + dir + "\\a.txt"), "a");
    EXPECT_TRUE(platform::fileExists("c:\\" + dir + "\\a.txt"));
    EXPECT_FALSE(platform::fileExists("c:\\" + dir)); // a directory is no file
    EXPECT_TRUE(platform::directoryExists("c:\\" + dir));
    EXPECT_TRUE(platform::directoryExists("c:\\" + dir + "\\"));
    EXPECT_FALSE(platform::directoryExists("c:\\" + dir + "\\a.txt"));
    EXPECT_FALSE(platform::directoryExists("c:\\" + dir + "\\nada"));
    EXPECT_FALSE(platform::fileExists("c:\\" + dir + "\\b.txt"));
    // the tests' own paths, written with forward slashes, stay as they are
    EXPECT_EQ(read(root_.file("talvek/" + uniqueName() + "/a.txt")), "a");
    // without a drive root the program's paths are the system's own
    platform::setDriveRoot("");
    EXPECT_EQ(platform::driveRoot(), "");
    EXPECT_FALSE(platform::fileExists("c:\\" + dir + "\\a.txt"));
}

TEST_F(Win32Host, DirectoriesBelowTheDriveRootAreReportedFromC) {
    test_support::writeFile(root_.file("inicio/b.txt"), "b");
    ASSERT_TRUE(platform::setCurrentDirectory("c:\\inicio"));
    EXPECT_EQ(platform::currentDirectory(), "C:\\inicio");
    EXPECT_EQ(read(platform::currentDirectory() + "\\b.txt"), "b");
    EXPECT_EQ(read("b.txt"), "b");
    ASSERT_TRUE(platform::setCurrentDirectory("\\"));
    EXPECT_EQ(platform::currentDirectory(), "C:\\");
    EXPECT_FALSE(platform::setCurrentDirectory("c:\\nada"));
}

TEST_F(Win32Host, BareProfileNamesAreLookedUpInTheWindowsDirectory) {
    // by default the system's Windows directory, below the drive root
    const std::string windows = platform::windowsDirectory();
    ASSERT_GT(windows.size(), 3u);
    const std::string below = windows.substr(3); // without "C:\"
    test_support::writeFile(root_.file(below + "/ZEBUNA.INI"), "[S]\r\nK=raiz\r\n");
    EXPECT_EQ(value("ZEBUNA.INI"), "raiz");
    EXPECT_TRUE(platform::fileExists(windows + "\\ZEBUNA.INI"));
    // one given in the settings is reported from the drive root
    test_support::writeFile(root_.file("janelas/ZEBUNA.INI"), "[S]\r\nK=janelas\r\n");
    platform::setWindowsDirectory(root_.file("janelas"));
    EXPECT_EQ(platform::windowsDirectory(), "C:\\janelas");
    EXPECT_EQ(value("ZEBUNA.INI"), "janelas");
    EXPECT_EQ(value("OUTRO.INI"), "def");
    EXPECT_TRUE(platform::fileExists("c:\\janelas\\zebuna.ini"));
}

TEST_F(Win32Host, TheConfigFileStandsForZebunaIniInTheWindowsDirectory) {
    test_support::writeFile(root_.file("outro.ini"), "[S]\r\nK=outro\r\n");
    test_support::writeFile(root_.file("talvek/ZEBUNA.INI"), "[S]\r\nK=talvek\r\n");
    test_support::makeDirectories(root_.file("janelas"));
    platform::setWindowsDirectory(root_.file("janelas"));
    platform::setConfigOverride(root_.file("outro.ini"));
    EXPECT_TRUE(std::filesystem::equivalent(platform::configOverride(), root_.file("outro.ini")));
    EXPECT_EQ(value("ZEBUNA.INI"), "outro");
    EXPECT_EQ(value("zebuna.ini"), "outro");
    // named with the Windows directory, as the speech layer looks it up,
    // though the directory holds none
    const std::string inWindows = platform::windowsDirectory() + "\\ZEBUNA.INI";
    EXPECT_TRUE(platform::fileExists(inWindows));
    EXPECT_EQ(value(inWindows), "outro");
    EXPECT_EQ(read(inWindows), "[S]\r\nK=outro\r\n");
    // a ZEBUNA.INI elsewhere, and other names, are themselves
    EXPECT_EQ(value("c:\\talvek\\ZEBUNA.INI"), "talvek");
    EXPECT_EQ(value("OUTRO.INI"), "def");
    platform::setConfigOverride("");
    EXPECT_EQ(value("ZEBUNA.INI"), "def");
    EXPECT_FALSE(platform::fileExists(inWindows));
}

TEST_F(Win32Host, TheConfigFileWithoutADriveRoot) {
    // the driver programs' --config on a real system
    test_support::writeFile(root_.file("outro.ini"), "[S]\r\nK=outro\r\n");
    platform::setDriveRoot("");
    platform::setConfigOverride(root_.file("outro.ini"));
    EXPECT_EQ(value("ZEBUNA.INI"), "outro");
    EXPECT_TRUE(platform::fileExists(platform::windowsDirectory() + "\\ZEBUNA.INI"));
    EXPECT_EQ(value(platform::windowsDirectory() + "\\zebuna.ini"), "outro");
}

} // namespace
