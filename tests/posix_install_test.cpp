// What the POSIX programs find from their own place (the data tree, the
// synthesizer library), the player's own ZEBUNA.INI, and the start-up
// check of both with what the game says about it.
#include "game/game.h"
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "platform/posix/install_layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

using platform::StartProblem;
using test_support::TempDir;
using test_support::writeFile;

// Sets (or, with nullptr, removes) an environment variable for its scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name) {
        if (const char *old = std::getenv(name))
            saved_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    std::optional<std::string> saved_;
};

TEST(InstallLayout, TheBuildTreeIsLaidOutAsAnInstalledOne) {
    EXPECT_EQ(fs::path(posix_host::installedDataTree()), fs::weakly_canonical(ZEB_TEST_DATA_ROOT));
    EXPECT_EQ(fs::path(posix_host::installedLibraryDirectory()),
              fs::weakly_canonical(ZEB_MBRSYNTH_LIBRARY).parent_path());
}

TEST(InstallLayout, TheSynthesizerIsFoundWithoutAnEnvironmentVariable) {
    ScopedEnv noPath("ZEBUNA_MBROLA", nullptr);
    platform::LibraryHandle library = platform::loadLibrary("mbrola.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(platform::librarySymbol(library, "init_MBR"), nullptr);
    platform::freeLibrary(library);
}

// A drive root holding the installed ZEBUNA.INI, and a configuration home.
class UserConfig : public ::testing::Test {
protected:
    UserConfig()
        : xdg_("XDG_CONFIG_HOME", dir_.file("config").c_str()), winDir_("ZEBUNA_WINDIR", nullptr) {
        writeFile(dir_.file("dados/windows/ZEBUNA.INI"), "[S]\r\nk=instalado\r\n");
        platform::setDriveRoot(dir_.file("dados"));
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
        platform::ignoreUserConfig(false);
    }
    ~UserConfig() override {
        platform::setDriveRoot("");
        platform::setConfigOverride("");
        platform::ignoreUserConfig(false);
    }
    std::string userFile() const { return dir_.file("config/galdrino/ZEBUNA.INI"); }
    static std::string lookedUp() {
        return platform::profileString("ZEBUNA.INI", "S", "K", "nenhum", 80);
    }

    TempDir dir_;
    ScopedEnv xdg_, winDir_;
};

TEST_F(UserConfig, ItsPlaceFollowsTheConfigurationHome) {
    struct Case {
        const char *xdg, *home, *expected;
    };
    const Case cases[] = {
        {"/x/cfg", "/casa", "/x/cfg/galdrino/ZEBUNA.INI"},
        {nullptr, "/casa", "/casa/.config/galdrino/ZEBUNA.INI"},
        {"", "/casa/", "/casa/.config/galdrino/ZEBUNA.INI"},
        // a relative configuration home is not used
        {"cfg", "/casa", "/casa/.config/galdrino/ZEBUNA.INI"},
    };
    for (const Case &c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(platform::userConfigFile(), c.expected) << (c.xdg ? c.xdg : "(none)");
    }
}

TEST_F(UserConfig, ThePlayersCopyIsLookedUpFirst) {
    EXPECT_EQ(lookedUp(), "instalado");
    writeFile(userFile(), "[S]\r\nk=jogador\r\n");
    EXPECT_EQ(lookedUp(), "jogador");
    EXPECT_TRUE(platform::fileExists("c:\\windows\\ZEBUNA.INI"));
    EXPECT_EQ(platform::nativePath("c:\\WINDOWS\\zebuna.ini"), userFile());
    // the installed default is never written to, and other files are the tree's own
    EXPECT_EQ(platform::nativePath("c:\\windows\\registry.reg"),
              dir_.file("dados/windows/registry.reg"));

    platform::ignoreUserConfig(true);
    EXPECT_EQ(lookedUp(), "instalado");
    platform::ignoreUserConfig(false);

    // --config, and a Windows directory given, come before the player's copy
    writeFile(dir_.file("outro.ini"), "[S]\r\nk=outro\r\n");
    platform::setConfigOverride(dir_.file("outro.ini"));
    EXPECT_EQ(lookedUp(), "outro");
    platform::setConfigOverride("");
    writeFile(dir_.file("janelas/ZEBUNA.INI"), "[S]\r\nk=janelas\r\n");
    platform::setWindowsDirectory(dir_.file("janelas"));
    EXPECT_EQ(lookedUp(), "janelas");
    platform::setWindowsDirectory("");
    {
        ScopedEnv winDir("ZEBUNA_WINDIR", dir_.file("janelas").c_str());
        platform::setWindowsDirectory("");
        EXPECT_EQ(lookedUp(), "janelas");
    }
    platform::setWindowsDirectory("");
    EXPECT_EQ(lookedUp(), "jogador");
}

TEST_F(UserConfig, TheStartCheckNamesWhatIsWrong) {
    struct Case {
        const char *name;
        std::function<void()> arrange;
        StartProblem problem;
        int32_t line;
    };
    const std::string data = dir_.file("dados");
    const Case cases[] = {
        {"installed only", [] {}, StartProblem::None, 0},
        {"a good copy", [&] { writeFile(userFile(), "[S]\r\nk=v\r\n"); }, StartProblem::None, 0},
        {"an empty copy", [&] { writeFile(userFile(), ""); }, StartProblem::ConfigEmpty, 0},
        {"comments only", [&] { writeFile(userFile(), "; nada\r\n"); }, StartProblem::ConfigEmpty,
         0},
        {"a damaged copy", [&] { writeFile(userFile(), "[S]\r\nk=v\r\nlixo\r\n"); },
         StartProblem::ConfigDamaged, 3},
        {"a directory", [&] { fs::create_directories(userFile()); }, StartProblem::ConfigUnreadable,
         0},
        {"a damaged copy passed by --config",
         [&] {
             writeFile(userFile(), "lixo");
             writeFile(dir_.file("outro.ini"), "[S]\r\nk=v\r\n");
             platform::setConfigOverride(dir_.file("outro.ini"));
         },
         StartProblem::None, 0},
        {"no data tree", [&] { platform::setDriveRoot(dir_.file("nada")); },
         StartProblem::DataMissing, 0},
        {"a file for a data tree",
         [&] {
             writeFile(dir_.file("arquivo"), "x");
             platform::setDriveRoot(dir_.file("arquivo"));
         },
         StartProblem::DataUnreadable, 0},
    };
    for (const Case &c : cases) {
        std::error_code ec;
        fs::remove_all(dir_.file("config"), ec);
        platform::setDriveRoot(data);
        platform::setConfigOverride("");
        c.arrange();
        const platform::StartCheck check = platform::checkInstallation();
        EXPECT_EQ(check.problem, c.problem) << c.name;
        EXPECT_EQ(check.line, c.line) << c.name;
        if (check.problem == StartProblem::ConfigDamaged) {
            EXPECT_EQ(check.path, userFile()) << c.name;
        }
    }
}

TEST_F(UserConfig, AnUnreadableCopyIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    writeFile(userFile(), "[S]\r\nk=v\r\n");
    ASSERT_EQ(chmod(userFile().c_str(), 0), 0);
    EXPECT_EQ(platform::checkInstallation().problem, StartProblem::ConfigUnreadable);
    fs::create_directories(dir_.file("fechado"));
    ASSERT_EQ(chmod(dir_.file("fechado").c_str(), 0), 0);
    platform::setDriveRoot(dir_.file("fechado"));
    EXPECT_EQ(platform::checkInstallation().problem, StartProblem::DataUnreadable);
    chmod(dir_.file("fechado").c_str(), 0700);
}

// ---- what the game says -------------------------------------------------------

const char *const Recordings[] = {"GDINIC",   "GDPRGCAN", "GDCFGERR", "GDCFGVAZ", "GDCFGLER",
                                  "GDCFGCOR", "GDDADFAL", "GDREINST", "GDQUELET", "GDDESIS",
                                  "GDERA",    "GDDENOVO", "GDTCHAU",  "GDPLIM"};

// The game on a data tree of short recordings, with the installed ZEBUNA.INI
// in its Windows directory.
class PlayerConfigGame : public UserConfig {
protected:
    PlayerConfigGame() {
        const std::string quibo = dir_.file("dados/talvek/som/quibo2/");
        for (const char *key : Recordings)
            writeFile(quibo + key + ".wav", test_support::wavOfMs(200));
        for (int code = 1; code < 256; ++code)
            writeFile(dir_.file("dados/talvek/som/letras/_") + std::to_string(code) + ".wav",
                      test_support::wavOfMs(100));
        for (const char *file : {"TESTE.IND", "TESTE.DIF", "regras.rgr", "portug.exc"})
            writeFile(dir_.file("dados/talvek/som/difones/") + file, "");
        writeFile(quibo + "galdrino.pal", "CASA\r\n");
        writeFile(quibo + "outra.pal", "BOLA\r\n");
        writeFile(dir_.file("dados/windows/ZEBUNA.INI"),
                  "[SINTETIZADOR]\r\nDIFONES3=TESTE\r\n[TRADUTOR]\r\nSAPI=N\r\n");
    }
    int32_t play(const std::string &keys) {
        test_support::startMachine(dir_.file("dados"), "", keys);
        return test_support::exitCodeOf([] { game::runGame(); });
    }
    static bool printed(const std::string &text) {
        return test_support::textPrinted().find(text) != std::string::npos;
    }
};

TEST_F(PlayerConfigGame, TheGamePlaysWithThePlayersCopy) {
    writeFile(userFile(), "[SINTETIZADOR]\r\nDIFONES3=TESTE\r\n[GALDRINO]\r\n"
                          "ARQPALAVRAS=c:\\talvek\\som\\quibo2\\outra.pal\r\n");
    play("{ESC}n");
    EXPECT_TRUE(printed("A palavra era: BOLA"));
}

TEST_F(PlayerConfigGame, ADamagedCopyIsSaidAloudAndEndsTheGame) {
    writeFile(userFile(), "[GALDRINO]\r\n\r\nARQPALAVRAS outra.pal\r\n");
    EXPECT_EQ(play("{ESC}n"), 1);
    EXPECT_EQ(
        test_support::soundsPlayed(),
        (std::vector<std::string>{"GDCFGERR.wav", "_51.wav", "GDCFGCOR.wav", "GDPRGCAN.wav"}));
    EXPECT_TRUE(printed("Houve um erro no seu arquivo de configura\xe7\xe3o. Linha 3\r\n" +
                        userFile() + "\r\nCorrija ou apague esse arquivo"));
    EXPECT_FALSE(printed("JOGO DA FORCA ZEB"));
}

TEST_F(PlayerConfigGame, AnEmptyCopyIsSaidAloud) {
    writeFile(userFile(), "");
    play("{ESC}n");
    EXPECT_EQ(test_support::soundsPlayed(),
              (std::vector<std::string>{"GDCFGVAZ.wav", "GDCFGCOR.wav", "GDPRGCAN.wav"}));
    EXPECT_TRUE(printed(" est\xe1 vazio:\r\n" + userFile() + "\r\n"));
}

TEST_F(PlayerConfigGame, AMissingDataTreeIsPrintedAndTheWindowWaitsForAKey) {
    platform::setDriveRoot(dir_.file("sumiu"));
    test_support::startMachine(dir_.file("sumiu"), "", "x");
    EXPECT_EQ(test_support::exitCodeOf([] { game::runGame(); }), 1);
    EXPECT_TRUE(test_support::soundsPlayed().empty());
    EXPECT_TRUE(printed("N\xe3o achei os dados do jogo:\r\n" + dir_.file("sumiu") +
                        "\r\nInstale o jogo de novo.\r\nO programa foi cancelado.\r\n"));
    EXPECT_TRUE(headless::keyScriptExhausted());
}

} // namespace
