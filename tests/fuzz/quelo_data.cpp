#include "tests/fuzz/quelo_data.h"

#include "tests/fuzz/fuzz_support.h"
#include "tradutor/quelo/engine.h"

#include <cstdio>
#include <cstdlib>

namespace quelo_data {

void loadShipped() {
    using fuzz_support::dataFile;
    const std::string dir = "talvek/quelotts/";
    if (!quelo::queloLoadData(dataFile(dir + "portug.nrl"), dataFile(dir + "portug.exc"),
                              dataFile(dir + "portug.abr"), dataFile(dir + "portug.pro"),
                              dataFile(dir + "portug.dfn"))) {
        std::fprintf(stderr, "fuzz harness: the shipped engine data do not load\n");
        std::exit(2);
    }
}

void speakTexts() {
    for (const char *text : Texts)
        for (const std::string &line : quelo::queloPipeline(text, quelo::Stage::Lines))
            if (line.size() > 4096)
                __builtin_trap();
}

} // namespace quelo_data
