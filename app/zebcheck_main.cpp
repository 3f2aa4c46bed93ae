// zebcheck: reads every data file of the game and of both voices the way the
// programs read them, and prints each line they would ignore, cut or
// misread, and each unit or diphone a rule can produce that the voice lacks:
//
//   zebcheck                 the installed data tree, found as the programs find it:
//                            from the program's place (ZEBUNA_ROOT in development)
//   zebcheck TREE            another data tree (the installed layout)
//   zebcheck FILE...         single files, told by their names
//
// One finding a line, "FILE:LINE: what is wrong" (no LINE for the file as a
// whole). Exit status 0 when nothing is found, 1 when something is, 2 for a
// wrong command line.
#include "app/zebcheck/checks.h"

#include "platform/cp1252.h"
#include "platform/host_settings.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *Usage = "usage: zebcheck [TREE | FILE...]\n"
                              "       zebcheck --help | --version\n";

constexpr const char *Help =
    "Checks the data files of the game and of both voices: the word list, ZEBUNA.INI,\n"
    "the native voice's rules (regras.rgr), respellings (portug.exc) and index\n"
    "(.IND against .DIF), the built-in engine's rules (portug.nrl), respellings\n"
    "(portug.exc), abbreviations (portug.abr), prosody (portug.pro), diphone list\n"
    "(portug.dfn) and synthesizer voice. Prints every line the programs ignore,\n"
    "cut or misread, and every unit or diphone a rule makes that the voice lacks,\n"
    "as FILE:LINE: what is wrong. Exit status 0 when all is clean, 1 when\n"
    "something was found.\n\n"
    "Without arguments it checks the installed data tree; TREE is another data\n"
    "tree, FILE a single file.\n";

int usage(const std::string &message) {
    std::fprintf(stderr, "zebcheck: %s\n%s", message.c_str(), Usage);
    return 2;
}

void print(const zebcheck::Finding &finding) {
    const std::string what = platform::cp1252ToUtf8(finding.what);
    if (finding.line == 0)
        std::printf("%s: %s\n", finding.file.c_str(), what.c_str());
    else
        std::printf("%s:%zu: %s\n", finding.file.c_str(), finding.line, what.c_str());
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--help") {
        std::printf("%s\n%s", Usage, Help);
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::printf("zebcheck %s\n", ZEB_VERSION);
        return 0;
    }
    for (const std::string &argument : arguments)
        if (argument.starts_with("-"))
            return usage("unknown option " + argument);
    zebcheck::Findings findings;
    namespace fs = std::filesystem;
    if (arguments.empty() || (arguments.size() == 1 && fs::is_directory(arguments[0]))) {
        const std::string root = arguments.empty() ? platform::driveRoot() : arguments[0];
        if (!fs::is_directory(root)) {
            std::fprintf(stderr, "zebcheck: no data tree at %s\n", root.c_str());
            return 1;
        }
        zebcheck::checkTree(zebcheck::treeAt(root), findings);
    } else {
        for (const std::string &path : arguments)
            if (!zebcheck::checkFile(path, findings))
                return usage("cannot tell what kind of data file " + path + " is");
    }
    for (const zebcheck::Finding &finding : findings.all())
        print(finding);
    return findings.empty() ? 0 : 1;
}
