// Case mapping of Windows-1252 letters, accented ones included, shared by the
// stages of the built-in engine.
#pragma once

#include <string>

namespace quelo {

// A..Z, a..z and the accented letters À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü, both cases.
bool isLetter(char c);
char upperLetter(char c);
char lowerLetter(char c);
std::string upperCased(std::string text);
std::string lowerCased(std::string text);

} // namespace quelo
