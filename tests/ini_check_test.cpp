// The check of the player's ZEBUNA.INI (platform/posix/ini_check.cpp).
#include "platform/posix/ini_check.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>

namespace {

using posix_host::IniVerdict;
using namespace std::string_literals;

struct IniCase {
    const char *name;
    std::string text;
    IniVerdict verdict;
    int32_t line;
};

TEST(IniCheck, VerdictOnTheText) {
    const IniCase cases[] = {
        {"nothing", "", IniVerdict::Empty, 0},
        {"blank lines", "\r\n  \r\n\t\r\n", IniVerdict::Empty, 0},
        {"comments and a header", "; so\r\n[GALDRINO]\r\n# nada\r\n", IniVerdict::Empty, 0},
        {"the usual", "; c\r\n[GALDRINO]\r\nDIRQUIBO2=c:\\x\\\r\n", IniVerdict::Good, 0},
        {"LF line ends, no final one", "[A]\nk=v", IniVerdict::Good, 0},
        {"an empty value", "[A]\r\nk=\r\n", IniVerdict::Good, 0},
        {"blanks around", "  [ A ]  \r\n  k = v  \r\n", IniVerdict::Good, 0},
        {"UTF-8 mark", "\xef\xbb\xbf[A]\r\nk=v\r\n", IniVerdict::Good, 0},
        {"Windows-1252 text", "[A]\r\n; configura\xe7\xe3o\r\nk=a\xe7\xe3o\r\n", IniVerdict::Good,
         0},
        {"a key before any section", "k=v\r\n[A]\r\nj=w\r\n", IniVerdict::Damaged, 1},
        {"a line that is no setting", "[A]\r\nk=v\r\nSAPI S\r\n", IniVerdict::Damaged, 3},
        {"an unclosed header", "[A]\r\nk=v\r\n[TRADUTOR\r\nj=w\r\n", IniVerdict::Damaged, 3},
        {"a value without a key", "[A]\r\n = v\r\n", IniVerdict::Damaged, 2},
        {"a NUL byte", "[A]\r\nk=v\r\nj=\0w\r\n"s, IniVerdict::Damaged, 3},
        {"a control character", "[A]\r\nk=v\x1b\r\n", IniVerdict::Damaged, 2},
        {"binary garbage",
         "\x7f"
         "ELF\x02\x01\x01\0\0\0"s,
         IniVerdict::Damaged, 1},
        {"only the first fault counts", "[A]\r\nx\r\ny\r\n", IniVerdict::Damaged, 2},
    };
    for (const IniCase &c : cases) {
        const posix_host::IniCheck check = posix_host::checkIniText(c.text);
        EXPECT_EQ(check.verdict, c.verdict) << c.name;
        EXPECT_EQ(check.line, c.line) << c.name;
    }
}

TEST(IniCheck, VerdictOnTheFile) {
    test_support::TempDir dir;
    EXPECT_EQ(posix_host::checkIniFile(dir.file("none.ini")).verdict, IniVerdict::Unreadable);
    EXPECT_EQ(posix_host::checkIniFile(dir.path()).verdict, IniVerdict::Unreadable);
    // Neither a FIFO no one writes nor a device is waited on.
    ASSERT_EQ(mkfifo(dir.file("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(posix_host::checkIniFile(dir.file("fifo.ini")).verdict, IniVerdict::Unreadable);
    EXPECT_EQ(posix_host::checkIniFile("/dev/zero").verdict, IniVerdict::Unreadable);

    test_support::writeFile(dir.file("good.ini"), "[A]\r\nk=v\r\n");
    EXPECT_EQ(posix_host::checkIniFile(dir.file("good.ini")).verdict, IniVerdict::Good);
    test_support::writeFile(dir.file("empty.ini"), "");
    EXPECT_EQ(posix_host::checkIniFile(dir.file("empty.ini")).verdict, IniVerdict::Empty);

    // Past the reader's limit the rest would be lost: the line where it falls is named.
    std::string big = "[A]\n";
    while (big.size() < posix_host::MaxIniBytes)
        big += "; comentario comprido, so para encher o arquivo\n";
    const auto lines = static_cast<int32_t>(std::count(big.begin(), big.end(), '\n'));
    big += "k=v\n";
    test_support::writeFile(dir.file("big.ini"), big);
    const posix_host::IniCheck check = posix_host::checkIniFile(dir.file("big.ini"));
    EXPECT_EQ(check.verdict, IniVerdict::Damaged);
    EXPECT_EQ(check.line, lines);
}

} // namespace
