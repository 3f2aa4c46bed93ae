// Speaks many short phoneme inputs with espeak-ng, a few processes at a time,
// keeping every output in a cache directory under a name derived from
// everything that shapes it, so that unchanged units are never spoken again.
#pragma once

#include <string>
#include <vector>

namespace voicebuild {

struct EspeakSettings {
    std::string program; // path of espeak-ng
    std::string voice;   // e.g. "pt-br"
    unsigned speed = 0;  // words per minute
    unsigned pitch = 0;  // 0..99
    unsigned jobs = 1;   // processes at once
};

// For each phoneme input (espeak-ng mnemonics, spoken at a flat pitch),
// the path of its WAV file in cacheDir, made when missing. False with a
// message in error when a run fails or leaves no output.
bool speakAll(const EspeakSettings &settings, const std::vector<std::string> &inputs,
              const std::string &cacheDir, std::vector<std::string> &wavPaths, std::string &error);

} // namespace voicebuild
