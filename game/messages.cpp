#include "game/messages.h"

#include "game/outside.h"
#include "platform/cp1252_literal.h"

#include <cstring>

using namespace platform::literals;

namespace game {

namespace {

// Texts are Windows-1252 bytes, printed exactly as they stand.
constexpr Message Catalogue[] = {
    {"GDINIC", "JOGO DA FORCA ZEB", true},
    {"GDARNENC", "Não achei o arquivo de palavras"_cp1252, true},
    {"GDMAXPAL", "Nao posso processar tantas palavras.", true},
    {"GDERRPAL", "Houve um erro no arquivo de palavras. Linha ", false},
    {"GDPRGCAN", "O programa foi cancelado.", true},
    {"GDCABECA", "Desenhei a cabeça..."_cp1252, true},
    {"GDPESCOC", "Desenhei o pescoço..."_cp1252, true},
    {"GDTRONCO", "Desenhei o tronco...", true},
    {"GDBRADIR", "Desenhei o braço direito..."_cp1252, true},
    {"GDBRAESQ", "Desenhei o braço esquerdo..."_cp1252, true},
    {"GDPERDIR", "Desenhei a perna direita...", true},
    {"GDPERESQ", "Desenhei a perna esquerda...", true},
    {"GDPARABE", "Parabéns !  A palavra era essa mesmo."_cp1252, true},
    {"GDERA", "A palavra era: ", false},
    {"GDQUELET", "  -> Que letra ? ", false},
    {"GDREPETE", "Vou repetir o que você falou:"_cp1252, true},
    {"GDDESIS", "Que pena, você desistiu!"_cp1252, true},
    {"GDSOALFA", "Por favor, só tecle letras."_cp1252, true},
    {"GDLETREP", "Letra repetida, tente outra!", true},
    {"GDENFORC", "Que pena, foi enforcado!", true},
    {"GDDENOVO", "Quer jogar de novo (s/n) ? ", false},
    {"GDTCHAU", "Tchau, até a próxima..."_cp1252, true},
    // What keeps the game from starting with its data and the player's own
    // ZEBUNA.INI; the file or directory is printed after the first line.
    {"GDDADFAL", "Não achei os dados do jogo:"_cp1252, true},
    {"GDDADLER", "Não consigo ler os dados do jogo:"_cp1252, true},
    {"GDREINST", "Instale o jogo de novo.", true},
    {"GDCFGLER", "Não consigo ler o seu arquivo de configuração:"_cp1252, true},
    {"GDCFGVAZ", "O seu arquivo de configuração está vazio:"_cp1252, true},
    {"GDCFGERR", "Houve um erro no seu arquivo de configuração. Linha "_cp1252, false},
    {"GDCFGCOR", "Corrija ou apague esse arquivo para jogar com a configuração instalada."_cp1252,
     true},
    // The options of section GALDRINO: the help of AJUDA, the misses left
    // (a number follows), the score of PLACAR ("Você acertou N de M
    // palavras.", numbers between the pieces) and the category of ACENTOS.
    {"GDAJUDA", "Teclas da rodada:", true},
    {"GDAJLETR", "Uma letra: tenta essa letra.", true},
    {"GDAJREPE", "Enter, espaço ou seta: as letras já tentadas."_cp1252, true},
    {"GDAJTAB", "Tab: os erros que restam e as letras tentadas.", true},
    {"GDAJESC", "ESC: desiste da rodada.", true},
    {"GDAJF1", "F1: esta ajuda.", true},
    {"GDAJNOVO", "No fim: N sai do jogo, outra tecla joga de novo.", true},
    {"GDRESTAM", "Erros que você ainda pode cometer: "_cp1252, false},
    {"GDTENTAD", "Letras que você já tentou:"_cp1252, true},
    {"GDACERTO", "Você acertou "_cp1252, false},
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
