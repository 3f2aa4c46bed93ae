// Key scripts of the headless backend: which keys are timed, and the
// scripts that time a key twice or nothing at all.
#include "platform/headless/key_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(KeyScript, KeysTypedWaitingAtATimeOrWhenSpeechBegins) {
    std::vector<headless::ScriptedKey> keys;
    std::string error;
    ASSERT_TRUE(headless::parseKeyScript("a{AT 70}b{SPEAKING}{ESC}c", keys, error)) << error;
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_FALSE(keys[0].timed || keys[0].whenSpeaking);
    EXPECT_TRUE(keys[1].timed && keys[1].atMs == 70 && !keys[1].whenSpeaking);
    EXPECT_TRUE(keys[2].whenSpeaking && !keys[2].timed);
    EXPECT_FALSE(keys[3].timed || keys[3].whenSpeaking);
}

TEST(KeyScript, AKeyTimedTwiceOrNothingTimedIsAnError) {
    for (const char *script : {"{SPEAKING}", "{AT 5}", "{SPEAKING}{AT 5}x", "{AT 5}{SPEAKING}x",
                               "{SPEAKING}{SPEAKING}x"}) {
        std::vector<headless::ScriptedKey> keys;
        std::string error;
        EXPECT_FALSE(headless::parseKeyScript(script, keys, error)) << script;
        EXPECT_FALSE(error.empty()) << script;
    }
}

} // namespace
