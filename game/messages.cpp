#include "game/messages.h"

#include "game/outside.h"

#include <cstring>

namespace game {

namespace {

// Texts are Windows-1252 bytes, printed exactly as they stand.
constexpr Message Catalogue[] = {
    {"GDINIC", "JOGO DA FORCA ZEB", true},
    {"GDARNENC", "N\xe3o achei o arquivo de palavras", true},
    {"GDMAXPAL", "Nao posso processar tantas palavras.", true},
    {"GDERRPAL", "Houve um erro no arquivo de palavras. Linha ", false},
    {"GDPRGCAN", "O programa foi cancelado.", true},
    {"GDCABECA",
     "Desenhei a cabe\xe7"
     "a...",
     true},
    {"GDPESCOC", "Desenhei o pesco\xe7o...", true},
    {"GDTRONCO", "Desenhei o tronco...", true},
    {"GDBRADIR", "Desenhei o bra\xe7o direito...", true},
    {"GDBRAESQ", "Desenhei o bra\xe7o esquerdo...", true},
    {"GDPERDIR", "Desenhei a perna direita...", true},
    {"GDPERESQ", "Desenhei a perna esquerda...", true},
    {"GDPARABE", "Parab\xe9ns !  A palavra era essa mesmo.", true},
    {"GDERA", "A palavra era: ", false},
    {"GDQUELET", "  -> Que letra ? ", false},
    {"GDREPETE", "Vou repetir o que voc\xea falou:", true},
    {"GDDESIS", "Que pena, voc\xea desistiu!", true},
    {"GDSOALFA", "Por favor, s\xf3 tecle letras.", true},
    {"GDLETREP", "Letra repetida, tente outra!", true},
    {"GDENFORC", "Que pena, foi enforcado!", true},
    {"GDDENOVO", "Quer jogar de novo (s/n) ? ", false},
    {"GDTCHAU", "Tchau, at\xe9 a pr\xf3xima...", true},
    // What keeps the game from starting with its data and the player's own
    // ZEBUNA.INI; the file or directory is printed after the first line.
    {"GDDADFAL", "N\xe3o achei os dados do jogo:", true},
    {"GDDADLER", "N\xe3o consigo ler os dados do jogo:", true},
    {"GDREINST", "Instale o jogo de novo.", true},
    {"GDCFGLER", "N\xe3o consigo ler o seu arquivo de configura\xe7\xe3o:", true},
    {"GDCFGVAZ", "O seu arquivo de configura\xe7\xe3o est\xe1 vazio:", true},
    {"GDCFGERR", "Houve um erro no seu arquivo de configura\xe7\xe3o. Linha ", false},
    {"GDCFGCOR", "Corrija ou apague esse arquivo para jogar com a configura\xe7\xe3o instalada.",
     true},
    // The options of section GALDRINO: the help of AJUDA, the misses left
    // (a number follows), the score of PLACAR ("Você acertou N de M
    // palavras.", numbers between the pieces) and the category of ACENTOS.
    {"GDAJUDA", "Teclas da rodada:", true},
    {"GDAJLETR", "Uma letra: tenta essa letra.", true},
    {"GDAJREPE", "Enter, espa\xe7o ou seta: as letras j\xe1 tentadas.", true},
    {"GDAJTAB", "Tab: os erros que restam e as letras tentadas.", true},
    {"GDAJESC", "ESC: desiste da rodada.", true},
    {"GDAJF1", "F1: esta ajuda.", true},
    {"GDAJNOVO", "No fim: N sai do jogo, outra tecla joga de novo.", true},
    {"GDRESTAM", "Erros que voc\xea ainda pode cometer: ", false},
    {"GDTENTAD", "Letras que voc\xea j\xe1 tentou:", true},
    {"GDACERTO", "Voc\xea acertou ", false},
    {"GDDE", " de ", false},
    {"GDPALAVS", " palavras.", true},
    {"GDCATEG", "Categoria: ", false},
    {"GDPLIM", nullptr, false},
    {"GDTCHEN", nullptr, false},
    {"GDREQIEN", nullptr, false},
};

} // namespace

const Message *findMessage(const std::string &key) {
    for (const auto &message : Catalogue)
        if (key == message.key)
            return &message;
    return nullptr;
}

void sayMessage(const std::string &key) {
    if (const Message *message = findMessage(key); message && message->text) {
        if (message->lineEnd)
            printLine(message->text);
        else
            print(message->text);
    }
    speakMessage(key);
}

} // namespace game
