// The start and end of the modules: COM for the program's thread comes
// first of the façade's start, and at the end the speech engines' objects
// are released before COM itself ends.
#include "app/module_start.h"
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "tests/test_support.h"
#include "tradutor/servers/server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(ModuleStart, ComStartsWithTheModulesAndEndsAfterEveryEngineObject) {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("ZEBUNA.INI"), "");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    ASSERT_FALSE(headless::engineCalls().empty());
    EXPECT_EQ(headless::engineCalls().front(), "CoInitialize");

    // A SAPI 4 engine left open, and a SAPI 5 voice still speaking.
    headless::scriptSpeechEngines(headless::EngineScript{});
    ASSERT_TRUE(servers::serverStart(1, 0, 0, "", servers::ServerKindSapi4));
    ASSERT_TRUE(servers::serverStart(1, 0, 0, "", servers::ServerKindSapi5));
    servers::serverSpeak("uma frase comprida");
    const size_t mark = headless::engineCalls().size();
    app::endModules();
    const std::vector<std::string> ending(headless::engineCalls().begin() + mark,
                                          headless::engineCalls().end());
    for (const char *released :
         {"central.release", "enum.release", "audio.release", "voice.release"})
        EXPECT_NE(std::find(ending.begin(), ending.end(), released), ending.end()) << released;
    ASSERT_FALSE(ending.empty());
    EXPECT_EQ(ending.back(), "CoUninitialize");
    EXPECT_EQ(std::count(ending.begin(), ending.end(), "CoUninitialize"), 1);
    headless::unscriptSpeechEngines();
}

} // namespace
