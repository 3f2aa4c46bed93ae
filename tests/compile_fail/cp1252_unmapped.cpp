// Must not compile: each case (chosen with -DCASE=n) is text the program's
// Windows-1252 cannot hold, which the literal refuses rather than replacing.
#include "platform/cp1252_literal.h"

using namespace platform::literals;

#if CASE == 1
const char *greek = "Ω"_cp1252; // no Windows-1252 byte
#elif CASE == 2
const char *cut = "a\xc3"_cp1252; // a UTF-8 sequence cut short
#elif CASE == 3
const char *overlong = "\xc1\x81"_cp1252; // "A" in two bytes
#elif CASE == 4
constexpr char arrow = platform::cp1252Char(U'→');
#endif
