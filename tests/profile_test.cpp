// platform::profileString on the POSIX hosts (platform/posix/profile.cpp).
#include "platform/host_settings.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        savedRoot_ = platform::driveRoot();
        savedOverride_ = platform::configOverride();
        std::string pattern = (fs::temp_directory_path() / "zebprofileXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ + "/windows");
        fs::create_directories(root_ + "/Talvek");
        platform::setDriveRoot(root_);
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
    }

    void TearDown() override {
        platform::setDriveRoot(savedRoot_);
        platform::setWindowsDirectory("");
        platform::setConfigOverride(savedOverride_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Writes ZEBUNA.INI in the Windows directory.
    void writeIni(const std::string &content, const std::string &name = "ZEBUNA.INI") {
        std::ofstream out(root_ + "/windows/" + name, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    static std::string get(const std::string &section, const std::string &key,
                           const std::string &def = "DEF", size_t capacity = 256) {
        return platform::profileString("ZEBUNA.INI", section, key, def, capacity);
    }

    std::string root_, savedRoot_, savedOverride_;
};

struct IniCase {
    std::string content, section, key, expected;
};

TEST_F(Profile, Lookups) {
    const std::string basic = "; ZEBUNA family configuration\n"
                              "[TRADUTOR]\n"
                              "VELOCIDADE=3\n"
                              "dirLetras=c:\\talvek\\som\\letras\\\n"
                              "  Spaced Key  =   spaced value   \n"
                              "\tTabbed\t=\tvalue\t\n"
                              "EMPTY=\n"
                              "EQUALS=a=b=c\n"
                              "INLINE=value ; not a comment\n"
                              "[ VIDEO ]\n"
                              "CORES=S\n";
    const std::vector<IniCase> cases = {
        // section and key names match without regard to case
        {basic, "TRADUTOR", "VELOCIDADE", "3"},
        {basic, "tradutor", "velocidade", "3"},
        {basic, "Tradutor", "DIRLETRAS", "c:\\talvek\\som\\letras\\"},
        {basic, " TRADUTOR ", " dirletras ", "c:\\talvek\\som\\letras\\"},
        // blanks around names and values are trimmed
        {basic, "TRADUTOR", "spaced key", "spaced value"},
        {basic, "TRADUTOR", "TABBED", "value"},
        {basic, "video", "cores", "S"},
        // an empty value is a value; only the first "=" splits
        {basic, "TRADUTOR", "EMPTY", ""},
        {basic, "TRADUTOR", "EQUALS", "a=b=c"},
        {basic, "TRADUTOR", "INLINE", "value ; not a comment"},
        // absent section or key: the default
        {basic, "NADA", "VELOCIDADE", "DEF"},
        {basic, "TRADUTOR", "NADA", "DEF"},
        {basic, "VIDEO", "VELOCIDADE", "DEF"},
        {basic, "TRADUTOR", "", "DEF"},
        // a comment line is not a key
        {"[S]\n;K=1\n  ; K=2\nK=3\n", "S", "K", "3"},
        {"[S]\n;K=1\n", "S", ";K", "DEF"},
        // quotes
        // a file saved with the UTF-8 mark
        {"\xef\xbb\xbf[S]\r\nK=marked\r\n", "S", "K", "marked"},
        // values of a UTF-8 file come in Windows-1252, with or without the
        // mark; a Windows-1252 file's are kept as they are
        {"\xef\xbb\xbf; configura\xc3\xa7\xc3\xa3o\r\n[S]\r\nK=c:\\a\xc3\xa7\xc3\xa3o\\\r\n", "S",
         "K", "c:\\a\xe7\xe3o\\"},
        {"; configura\xc3\xa7\xc3\xa3o\n[S]\nK=Jo\xc3\xa3o \xe2\x82\xac\n", "S", "K",
         "Jo\xe3o \x80"},
        {"; configura\xe7\xe3o\r\n[S]\r\nK=a\xe7\xe3o\r\n", "S", "K", "a\xe7\xe3o"},
        {"[S]\nK=\"quoted value\"\n", "S", "K", "quoted value"},
        {"[S]\nK='single'\n", "S", "K", "single"},
        {"[S]\nK=  \" inner blanks \"  \n", "S", "K", " inner blanks "},
        {"[S]\nK=\"\"\n", "S", "K", ""},
        {"[S]\nK=\"\n", "S", "K", "\""},
        {"[S]\nK=\"mixed'\n", "S", "K", "\"mixed'"},
        {"[S]\nK=\"open\n", "S", "K", "\"open"},
        {"[S]\nK=a\"b\"\n", "S", "K", "a\"b\""},
        // CR LF and LF line ends, and no line end at all
        {"[S]\r\nK = v \r\nL=w\r\n", "S", "K", "v"},
        {"[S]\r\nK = v \r\nL=w\r\n", "S", "L", "w"},
        {"[S]\nK=last", "S", "K", "last"},
        {"\r\n\r\n[S]\r\n\r\nK=v", "S", "K", "v"},
        // the first matching section and the first matching key win
        {"[S]\nA=1\n[s]\nA=2\nB=3\n", "S", "A", "1"},
        {"[S]\nA=1\n[s]\nA=2\nB=3\n", "S", "B", "DEF"},
        {"[S]\nA=1\na=2\n", "S", "A", "1"},
        {"[T]\nA=0\n[S]\nA=1\n[T]\nA=2\n", "T", "A", "0"},
        // keys before any section belong to none of the named sections
        {"A=1\n[S]\nB=2\n", "S", "A", "DEF"},
        {"A=1\n[S]\nB=2\n", "S", "B", "2"},
        // malformed lines
        {"[S]\nkey\nkey=1\n", "S", "key", "1"},
        {"[S]\nkey\n", "S", "key", "DEF"},
        {"[S\nK=1\n[T]\nK=2\n", "S", "K", "DEF"},
        {"[S\nK=1\n[T]\nK=2\n", "T", "K", "2"},
        {"[S]\n[BROKEN\nK=1\n", "S", "K", "1"},
        {"[S] trailing text\nK=1\n", "S", "K", "1"},
        {"[]\nK=1\n[S]\nK=2\n", "S", "K", "2"},
        {"[S]\n=orphan\nK=1\n", "S", "K", "1"},
        {"]\n[\n=\n[S]\nK=1\n", "S", "K", "1"},
        // Windows-1252 bytes pass unchanged; accented names fold
        {"[GALDRINO]\nNOME=Jo\xe3o \xc7\xe9u\n", "GALDRINO", "NOME", "Jo\xe3o \xc7\xe9u"},
        {"[PREFER\xcaNCIAS]\nA\xc7\xc3O=1\n", "prefer\xeancias", "a\xe7\xe3o", "1"},
        {"[S]\nK=\xa0nbsp\xa0\n", "S", "K", "\xa0nbsp\xa0"},
        // NUL bytes end the text of their line
        {"[S]\nK=ab\0cd\nL=2\n"s, "S", "K", "ab"},
        {"[S]\nK=ab\0cd\nL=2\n"s, "S", "L", "2"},
        {"[S]\nX\0=1\nX=2\n"s, "S", "X", "2"},
        {"[S\0]\nK=1\n[S]\nK=2\n"s, "S", "K", "2"},
        {"\0\0\0\n[S]\nK=1\n"s, "S", "K", "1"},
        // an empty file
        {"", "S", "K", "DEF"},
    };
    for (const IniCase &c : cases) {
        writeIni(c.content);
        EXPECT_EQ(get(c.section, c.key), c.expected)
            << "[" << c.section << "] " << c.key << " in:\n"
            << c.content;
    }
}

struct CapacityCase {
    size_t capacity;
    const char *expected;
};

TEST_F(Profile, ValueIsCutToCapacity) {
    writeIni("[S]\nK=abcdef\nQ=\"abcdef\"\n");
    const std::vector<CapacityCase> cases = {
        {0, ""}, {1, ""}, {2, "a"}, {4, "abc"}, {6, "abcde"}, {7, "abcdef"}, {100, "abcdef"},
    };
    for (const CapacityCase &c : cases) {
        EXPECT_EQ(get("S", "K", "DEF", c.capacity), c.expected) << c.capacity;
        EXPECT_EQ(get("S", "Q", "DEF", c.capacity), c.expected) << c.capacity; // quotes first
        // the default is cut the same way
        EXPECT_EQ(get("S", "NADA", "abcdef", c.capacity), c.expected) << c.capacity;
    }
}

TEST_F(Profile, DefaultLosesTrailingBlanks) {
    writeIni("[S]\n");
    EXPECT_EQ(get("S", "K", "c:\\talvek\\  "), "c:\\talvek\\");
    EXPECT_EQ(get("S", "K", "  x"), "  x");
    EXPECT_EQ(get("S", "K", ""), "");
}

TEST_F(Profile, WhereTheFileIsLookedUp) {
    // a bare name: the Windows directory, without regard to case
    writeIni("[S]\nK=janela\n", "zebuna.ini");
    EXPECT_EQ(platform::profileString("ZEBUNA.INI", "S", "K", "", 80), "janela");
    EXPECT_EQ(platform::profileString("Zebuna.ini", "S", "K", "", 80), "janela");
    // a path: mapped like any other
    {
        std::ofstream out(root_ + "/Talvek/Outro.INI", std::ios::binary);
        out << "[S]\nK=outro\n";
    }
    EXPECT_EQ(platform::profileString("c:\\TALVEK\\outro.ini", "S", "K", "", 80), "outro");
    EXPECT_EQ(platform::profileString(root_ + "/talvek/OUTRO.INI", "S", "K", "", 80), "outro");
    // the current directory is not searched for a bare name
    fs::path saved = fs::current_path();
    fs::current_path(root_ + "/Talvek");
    EXPECT_EQ(platform::profileString("OUTRO.INI", "S", "K", "def", 80), "def");
    EXPECT_EQ(platform::profileString(".\\OUTRO.INI", "S", "K", "def", 80), "outro");
    fs::current_path(saved);
    // absent files and directories give the default
    EXPECT_EQ(platform::profileString("NADA.INI", "S", "K", "def", 80), "def");
    EXPECT_EQ(platform::profileString("c:\\talvek", "S", "K", "def", 80), "def");
    EXPECT_EQ(platform::profileString("", "S", "K", "def", 80), "def");
    // another Windows directory
    platform::setWindowsDirectory(root_ + "/Talvek");
    EXPECT_EQ(platform::profileString("outro.ini", "S", "K", "", 80), "outro");
}

TEST_F(Profile, VeryLongLines) {
    std::string content =
        "[S]\nLONG=" + std::string(200000, 'x') + "\n" + std::string(300000, 'y') + "\nK=after\n";
    writeIni(content);
    EXPECT_EQ(get("S", "K"), "after");
    EXPECT_EQ(get("S", "LONG", "", 1000), std::string(999, 'x'));
    EXPECT_EQ(get("S", "LONG", "", 300000), std::string(200000, 'x'));
}

TEST_F(Profile, ReadsAtMostOneMebibyte) {
    std::string content = "[S]\nBEFORE=1\n;" + std::string(1u << 20, 'z') + "\nAFTER=2\n";
    writeIni(content);
    EXPECT_EQ(get("S", "BEFORE"), "1");
    EXPECT_EQ(get("S", "AFTER"), "DEF");
}

TEST_F(Profile, BinaryJunk) {
    std::string junk(1u << 16, '\0');
    uint32_t seed = 12345;
    for (char &c : junk) {
        seed = seed * 134775813u + 1u;
        c = static_cast<char>(seed >> 24);
    }
    writeIni(junk);
    EXPECT_EQ(get("GALDRINO", "DIRQUIBO2"), "DEF");
    // junk followed by a real section still reads
    writeIni(junk + "\n[GALDRINO]\nDIRQUIBO2=c:\\talvek\\som\\quibo2\\\n");
    EXPECT_EQ(get("GALDRINO", "DIRQUIBO2"), "c:\\talvek\\som\\quibo2\\");
}

} // namespace
