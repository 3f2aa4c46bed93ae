#include "game/game.h"

#include "game/messages.h"
#include "game/options.h"
#include "game/outside.h"
#include "game/round.h"
#include "game/start_report.h"
#include "game/word_list.h"
#include "platform/cp1252.h"
#include "platform/cp1252_literal.h"
#include "platform/platform.h"

#include <array>

using namespace platform::literals;

namespace game {

namespace {

constexpr uint8_t F1Code = 59; // the extended code of F1, after the prefix 0

struct GameState {
    std::string soundDir;
    std::string wordListPath;
    Options options;
    WordTable words;
    std::array<uint8_t, WordTableSize + 1> usedFlags{};
    int32_t roundCounter = 0;
    // PLACAR: rounds played and words found in this session.
    uint32_t roundsPlayed = 0;
    uint32_t wordsFound = 0;
};

GameState game;

std::string withBackslash(std::string dir) {
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir;
}

std::string configuredSoundDir() {
    const std::string dir = readConfig("GALDRINO", "DIRQUIBO2");
    return withBackslash(dir.empty() ? "c:\\talvek\\som\\quibo2\\" : dir);
}

void readSettings() {
    game.soundDir = configuredSoundDir();
    game.wordListPath = configuredWordListPath();
    game.options = readOptions();
}

void showTitlePicture() {
    if (!loadPicture(game.soundDir + "galdrino.bmp"))
        return;
    showPicture(console::windowOuterWidth() / 2 - console::pictureWidth() / 2,
                console::windowOuterHeight() / 2 - console::pictureHeight() / 2);
}

void seedFromClock() {
    const auto t = platform::utcTimeOfDay();
    speech::setRandomSeed(
        static_cast<uint32_t>(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond));
}

[[noreturn]] void cancelProgram() {
    setExitCode(1);
    sayMessage("GDPRGCAN");
    doneSpeech();
    doneConsole();
}

// A line number is printed and then spoken digit by digit.
void sayLineNumber(int32_t line) {
    const std::string number = std::to_string(line);
    printLine(number);
    for (const char digit : number) {
        speakChar(static_cast<uint8_t>(digit));
        waitForSpeech();
        delayMs(200);
    }
}

// With ACENTOS the file and the character at fault are printed too: a
// teacher mending the list needs them.
void printFault(const std::string &path, uint8_t character) {
    printLine("Arquivo: " + path);
    const std::string shown =
        character > ' ' ? std::string(1, static_cast<char>(character)) : std::string();
    printLine("Caractere não aceito: \""_cp1252 + shown + "\" (código "_cp1252 +
              std::to_string(character) + ")");
}

[[noreturn]] void reportBadLine(const std::string &path, const WordTable &words) {
    sayMessage("GDERRPAL");
    sayLineNumber(words.errorLine);
    if (game.options.accents)
        printFault(path, words.errorCharacter);
    cancelProgram();
}

// Without the data tree nothing can be heard: the report is printed, and
// the window stays until a key is pressed.
[[noreturn]] void reportMissingData(const platform::StartCheck &check) {
    const StartReport report = startReport(check.problem);
    printLine(findMessage(report.problemKey)->text);
    printLine(platform::utf8ToCp1252(check.path));
    printLine(findMessage(report.adviceKey)->text);
    printLine(findMessage("GDPRGCAN")->text);
    readKey();
    setExitCode(1);
    doneConsole();
}

// The player's ZEBUNA.INI is passed by, so that the installed one gives the
// voice that says what is wrong with it; then the program ends.
[[noreturn]] void reportConfigProblem(const platform::StartCheck &check) {
    const StartReport report = startReport(check.problem);
    sayMessage(report.problemKey);
    if (check.problem == platform::StartProblem::ConfigDamaged)
        sayLineNumber(check.line);
    printLine(platform::utf8ToCp1252(check.path));
    sayMessage(report.adviceKey);
    cancelProgram();
}

// AJUDA: F1 at the question lists the keys and asks again.
uint8_t readAnswer() {
    uint8_t key = readKey();
    while (game.options.help && key == 0 && keyPressed()) {
        if (readKey() != F1Code)
            return 0;
        printLine();
        sayHelp();
        printLine();
        sayMessage("GDDENOVO");
        key = readKey();
    }
    return key;
}

// Asks whether to play again; returns false when the player answered N.
bool askPlayAgain() {
    printLine();
    sayMessage("GDDENOVO");
    while (keyPressed())
        readKey();
    const uint8_t key = readAnswer();
    const uint8_t upper = key >= 'a' && key <= 'z' ? static_cast<uint8_t>(key - 32) : key;
    speakChar(upper);
    if (key > 20)
        printLine(std::string(1, static_cast<char>(key)));
    return upper != 'N';
}

// PLACAR: "Você acertou N de M palavras.", the numbers read aloud (uma de
// duas palavras).
void sayScore() {
    sayMessage("GDACERTO");
    print(std::to_string(game.wordsFound));
    speakNumber(game.wordsFound, Gender::Feminine);
    sayMessage("GDDE");
    print(std::to_string(game.roundsPlayed));
    speakNumber(game.roundsPlayed, Gender::Feminine);
    sayMessage("GDPALAVS");
}

// ACENTOS: the category of the word, printed and read at the round's start.
void sayCategory(int16_t category) {
    if (category == NoCategory)
        return;
    const std::string &name = game.words.categoryNames[static_cast<size_t>(category)];
    sayMessage("GDCATEG");
    printLine(name);
    speakText(name);
    waitForSpeech();
}

void playOneRound(int32_t index) {
    const auto slot = static_cast<size_t>(index);
    sayCategory(game.words.categories[slot]);
    const RoundEnd end = playRound(game.words.words[slot], game.options);
    ++game.roundsPlayed;
    if (end == RoundEnd::Won)
        ++game.wordsFound;
    if (game.options.score)
        sayScore();
}

void playLoop() {
    game.roundCounter = 0;
    do {
        setWindow(1, 1, 49, 25);
        clearScreen();
        printLine("JOGO DA FORCA ZEB");
        // ">=" rather than "==": with a single word the counter would pass the
        // count after one reset and the draw would never find a free word.
        if (++game.roundCounter >= game.words.count) {
            game.roundCounter = 1;
            clearUsedFlags();
        }
        playOneRound(pickWord());
    } while (askPlayAgain());
}

[[noreturn]] void shutDown() {
    sayMessage("GDTCHAU");
    doneSpeech();
    setWindow(1, 1, 80, 25);
    clearScreen();
    doneConsole();
}

} // namespace

void clearUsedFlags() {
    game.usedFlags.fill(0);
}

void loadWordList(const std::string &path) {
    const WordListFormat format =
        game.options.accents ? WordListFormat::Accented : WordListFormat::Classic;
    switch (readWordList(path, game.words, format)) {
    case WordListResult::Loaded:
        return;
    case WordListResult::CannotOpen:
        sayMessage("GDARNENC");
        cancelProgram();
    case WordListResult::TooManyLines:
        sayMessage("GDMAXPAL");
        cancelProgram();
    case WordListResult::BadCharacter:
        reportBadLine(path, game.words);
    case WordListResult::Empty:
        // With no word there is nothing to draw: the list is as good as missing.
        sayMessage("GDARNENC");
        cancelProgram();
    }
}

void gameStart() {
    game = GameState{};
    const platform::StartCheck check = platform::checkInstallation();
    const bool configProblem = isConfigProblem(check.problem);
    if (check.problem != platform::StartProblem::None && !configProblem)
        reportMissingData(check);
    platform::ignoreUserConfig(configProblem);
    readSettings();
    initSpeech(3, game.soundDir);
    if (configProblem)
        reportConfigProblem(check);
    clearScreen();
    setTitle("Galdrino");
    showTitlePicture();
    sayMessage("GDINIC");
    delayMs(2000);
    hidePicture();
    printLine();
    clearUsedFlags();
    seedFromClock();
    loadWordList(game.wordListPath);
}

int32_t wordCount() {
    return game.words.count;
}
const std::string &wordAt(int32_t index) {
    return game.words.words[static_cast<size_t>(index)];
}

int32_t randomBelow(int32_t n) {
    return static_cast<int32_t>(speech::randomRange(1024)) % n;
}

int32_t pickWord() {
    int32_t index = 0;
    do
        index = randomBelow(game.words.count);
    while (game.usedFlags[static_cast<size_t>(index)] != 0);
    game.usedFlags[static_cast<size_t>(index)] = 1;
    return index;
}

void runGame() {
    gameStart();
    playLoop();
    shutDown();
}

std::string configuredWordListPath() {
    const std::string path = readConfig("GALDRINO", "ARQPALAVRAS");
    return path.empty() ? configuredSoundDir() + "galdrino.pal" : path;
}

} // namespace game
