#include "tests/cipher/texts.h"

#include <string>

#include "cipher/frequency/code_table.h"

namespace qor::test {

namespace {

// Windows-1252 bytes; \xE1 á, \xE9 é, \xED í, \xF3 ó, \xFA ú, \xF1 ñ, \xFC ü.
const char* const kWords[] = {
    "el", "la", "de", "que", "y", "en", "un", "los", "se", "no", "por", "con", "una", "para", "las",
    "del", "como", "m\xE1s", "pero", "sus", "le", "ya", "o", "este", "s\xED", "porque", "esta", "entre",
    "cuando", "muy", "sin", "sobre", "tambi\xE9n", "me", "hasta", "hay", "donde", "quien", "desde",
    "todo", "nos", "durante", "todos", "uno", "les", "ni", "contra", "otros", "ese", "eso", "ante",
    "ellos", "e", "esto", "m\xED", "antes", "algunos", "qu\xE9", "unos", "yo", "otro", "otras", "otra",
    "\xE9l", "tanto", "esa", "estos", "mucho", "quienes", "nada", "muchos", "cual", "poco", "ella",
    "estar", "a\xF1o", "ni\xF1o", "ma\xF1" "ana", "espa\xF1ol", "canci\xF3n", "coraz\xF3n", "est\xE1",
    "aqu\xED", "all\xED", "despu\xE9s", "tambi\xE9n", "d\xED" "a", "pa\xEDs", "ping\xFCino", "verg\xFC" "enza",
    "\xFAltimo", "n\xFAmero", "p\xE1gina", "r\xE1pido", "m\xFAsica", "f\xE1" "cil", "dif\xED" "cil", "acci\xF3n",
    "casa", "perro", "gato", "ciudad", "tiempo", "mundo", "vida", "hombre", "mujer", "agua", "noche",
    "Madrid", "Espa\xF1" "a", "Am\xE9rica", "Jos\xE9", "Mar\xED" "a", "\xC1ngel", "Fern\xE1ndez", "Garc\xED" "a",
    "archivo", "clave", "cifrado", "texto", "fichero", "2024", "15", "tres",
};

void AppendUtf8(Bytes& out, std::uint8_t windows1252) {
  if (windows1252 < 0x80) {
    out.push_back(windows1252);
  } else {
    // The Latin-1 letters and marks used here have the same code points.
    out.push_back(static_cast<std::uint8_t>(0xC0 | (windows1252 >> 6)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (windows1252 & 0x3F)));
  }
}

}  // namespace

Bytes SpanishText(std::mt19937& rng, std::size_t size, TextEncoding encoding) {
  std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
  std::uniform_int_distribution<int> roll(0, 99);
  std::string text;
  bool sentenceStart = true;
  while (text.size() < size) {
    std::string w = kWords[word(rng)];
    if (sentenceStart) {
      if (roll(rng) < 10) text += roll(rng) < 50 ? "\xBF" : "\xA1";  // ¿ ¡
      if (w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 'a' + 'A');
      sentenceStart = false;
    }
    text += w;
    const int r = roll(rng);
    if (r < 8) {
      text += ". ";
      sentenceStart = true;
    } else if (r < 10) {
      text += ".\r\n";
      sentenceStart = true;
    } else if (r < 16) {
      text += ", ";
    } else {
      text += ' ';
    }
  }
  Bytes out;
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (encoding == TextEncoding::kUtf8)
      AppendUtf8(out, b);
    else
      out.push_back(b);
  }
  return out;
}

Bytes CodedText(std::mt19937& rng, std::size_t size) {
  static const std::string common = "eeeaaaooosssnnnrrriiillldddtttuuuccmmpp      EAOSNRIT\r\n.,";
  std::vector<std::uint8_t> coded;
  for (int b = 0; b < 256; ++b)
    if (!FrequencyCodeTable[static_cast<std::size_t>(b)].Dropped()) coded.push_back(static_cast<std::uint8_t>(b));
  std::uniform_int_distribution<std::size_t> pickCommon(0, common.size() - 1), pickAny(0, coded.size() - 1);
  std::uniform_int_distribution<int> roll(0, 3);
  Bytes out(size);
  for (auto& b : out) b = roll(rng) ? static_cast<std::uint8_t>(common[pickCommon(rng)]) : coded[pickAny(rng)];
  return out;
}

Bytes WithoutDropped(const Bytes& input) {
  Bytes kept;
  for (std::uint8_t b : input)
    if (!FrequencyCodeTable[b].Dropped()) kept.push_back(b);
  return kept;
}

}  // namespace qor::test
