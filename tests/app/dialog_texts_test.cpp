// The message boxes' texts line by line, and the minimized icon's centring.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/icon_position.h"
#include "app/dialog_texts.h"
#include "job/text_encoding.h"

namespace {

// The texts as they must read, one line each. Letters outside ASCII are
// written as universal character names, so that the comparison does not
// depend on how this file and the program's are encoded.
const std::vector<std::string> kAboutNotices = {
    "Personalizaciones y c\u00f3decs especializados disponibles bajo petici\u00f3n. ",
    "",
    "Este software es para exportaci\u00f3n fuera de los EE.UU. ",
    "",
    "Este software est\u00e1 dise\u00f1ado para la intimidad personal, la seguridad personal, y seguridad financiera. No es la intenci\u00f3n de la actividad criminal.",};

const std::vector<std::string> kHelpLines = {
    "1. Seleccionar un fichero o introducir el nombre del archivo. ",
    "2. Ingresa la clave. Debe introducir una clave. ",
    "    Cualquier cosa que se pueda escribir con el teclado es una clave v\u00e1lida. ",
    "3. Seleccione un tipo de encriptaci\u00f3n. ",
    "4. Pulse cifrar o descifrar ",
    "5. Pulse Aceptar para terminar de procesar el archivo! ",
    "",
    "",
    "Nota: ",
    "El m\u00e9todo de normalizaci\u00f3n de frecuencia est\u00e1 dise\u00f1ado para archivos de texto ASCII. ",
    "Adem\u00e1s, el m\u00e9todo de normalizaci\u00f3n de frecuencia es espec\u00edfico del lenguaje. ",
    "Otros usos tendr\u00e1 resultados impredecibles. Uso con otro idioma que no sea segura. ",
    "El m\u00e9todo de Fibonacci se puede utilizar con cualquier tipo de archivo o idioma. ",
    "",
    "Advertencia: ",
    "Si olvida su clave, su archivo ser\u00e1 irrecuperable! ",
    "",
    "Advertencia: ",
    "Mientras Q.O.R. est\u00e1 completamente probado, debido a las diferencias en configuraciones de la m\u00e1quina y plataformas differnt, usted debe probar completamente Q.O.R. en su sistema para asegurarse de que puede descifrar los archivos correctamente. ",
    "",
    "S\u00f3lo despu\u00e9s de probar completamente Q.O.R. en el sistema, debe eliminar permanentemente los archivos originales sin cifrar.",};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

void ExpectLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                 std::size_t firstLine) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual.at(firstLine + i), expected[i]) << "line " << firstLine + i + 1;
  }
}

// Single-byte Windows-1252 text, as the boxes' texts are defined.
void ExpectWindows1252(std::string_view text) {
  qor::Windows1252Text converted = qor::ToWindows1252(text);
  EXPECT_FALSE(converted.invalidUtf8);
  EXPECT_EQ(converted.unmapped, 0u) << "at " << converted.firstUnmapped;
}

TEST(Messages, AboutHasATitleTwoCreditsAndTheNotices) {
  EXPECT_STREQ(qor::kAboutCaption, "Sobre");
  const std::vector<std::string> lines = Lines(qor::kAboutMessage);
  ASSERT_EQ(lines.size(), 8u) << "no line break after the last line, none missing";
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_FALSE(lines[i].empty()) << "line " << i + 1;
    EXPECT_EQ(lines[i].find('\r'), std::string::npos);
  }
  ExpectLines(lines, kAboutNotices, 3);
  ExpectWindows1252(qor::kAboutMessage);
}

TEST(Messages, HelpReadsAsItsTwentyOneLines) {
  EXPECT_STREQ(qor::kHelpCaption, "Ayudar");
  const std::vector<std::string> lines = Lines(qor::kHelpMessage);
  ASSERT_EQ(lines.size(), kHelpLines.size());
  ExpectLines(lines, kHelpLines, 0);
  // The leading and trailing spaces are part of the text.
  EXPECT_EQ(lines[2].substr(0, 5), "    C");
  EXPECT_EQ(lines[0].back(), ' ');
  EXPECT_NE(lines.back().back(), ' ');
  ExpectWindows1252(qor::kHelpMessage);
}

TEST(IconPosition, CentresAndTruncatesTowardZero) {
  EXPECT_EQ(qor::CentredIconOrigin(0, 32), -15) << "not -16: the division truncates";
  EXPECT_EQ(qor::CentredIconOrigin(2, 32), -14);
  EXPECT_EQ(qor::CentredIconOrigin(32, 32), 0);
  EXPECT_EQ(qor::CentredIconOrigin(33, 32), 1);
  EXPECT_EQ(qor::CentredIconOrigin(100, 32), 34);
  EXPECT_EQ(qor::CentredIconOrigin(160, 16), 72);
}

}  // namespace
