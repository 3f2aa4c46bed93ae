// The voice list of speech-dispatcher's replies, and the order VOZ counts.
#include "platform/speechd/speechd_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using speechd::Voice;

std::vector<std::string> names(const std::vector<Voice> &voices) {
    std::vector<std::string> out;
    for (const auto &v : voices)
        out.push_back(v.name + "/" + v.language);
    return out;
}

TEST(SpeechdVoiceList, RepliesGiveTheirVoicesOrNone) {
    struct Case {
        const char *reply;
        std::vector<std::string> voices;
    } cases[] = {
        {"249-Afrikaans\taf\tnone\r\n249-Portuguese (Brazil)+Adam\tpt-BR\tAdam\r\n"
         "249 OK VOICE LIST SENT\r\n",
         {"Afrikaans/af", "Portuguese (Brazil)+Adam/pt-BR"}},
        {"249 OK VOICE LIST SENT\r\n", {}},
        {"249-Cut\tpt\tnone\r\n249-Cu", {}},     // the end never came
        {"300-ERR\r\n300 ERR INTERNAL\r\n", {}}, // an error reply
        {"249-NoTabs\r\n249-Ok\tpt\r\n249 OK\r\n", {"Ok/pt"}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(names(speechd::parseVoiceList(c.reply)), c.voices) << c.reply;
}

TEST(SpeechdVoiceList, BrazilianThenPortugueseThenTheRestInTheServersOrder) {
    std::vector<Voice> voices{{"en", "en"},     {"pt1", "pt"},    {"br1", "pt-BR"},
                              {"ptx", "ptx"},   {"br2", "pt-br"}, {"pt2", "pt-PT"},
                              {"br3", "pt_BR"}, {"es", "es"},     {"pt3", "pt_PT"}};
    speechd::orderVoices(voices);
    EXPECT_EQ(names(voices),
              (std::vector<std::string>{"br1/pt-BR", "br2/pt-br", "br3/pt_BR", "pt1/pt",
                                        "pt2/pt-PT", "pt3/pt_PT", "en/en", "ptx/ptx", "es/es"}));
}

} // namespace
