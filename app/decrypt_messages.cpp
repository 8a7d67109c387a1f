#include "app/decrypt_messages.h"

static_assert(sizeof("ñ") == 3, "the message texts must be compiled as UTF-8");

namespace qor {

const char kDecryptCaption[] = "QOR Descifrar";

const char kDecryptHelp[] =
    "QOR Descifrar recupera los archivos cifrados por QOR (.qor) y comprueba que un archivo cifrado "
    "devuelve su original.\n"
    "\n"
    "1. Elija el archivo cifrado con \"Examinar...\", o arrástrelo a la ventana.\n"
    "2. El archivo descifrado lleva el mismo nombre sin \".qor\"; \"Guardar como...\" elige otro.\n"
    "3. Escriba la clave con la que se cifró.\n"
    "4. Deje el método en \"Automático\" o elija el que se usó.\n"
    "5. Pulse \"Descifrar\". \"Verificar\" compara el archivo cifrado con el original que usted elija y no "
    "escribe nada: hágalo antes de borrar un original.\n"
    "\n"
    "Los métodos:\n"
    "- Fibonacci devuelve cualquier archivo byte a byte.\n"
    "- Normalización de frecuencia es para texto. No puede devolver los bytes que quitó al cifrar (las "
    "letras acentuadas salvo ñ y Ñ, y los demás caracteres por encima de 0x7F), ni dónde estaban; junto a "
    "esos lugares algún carácter puede volver cambiado.\n"
    "- Automático prueba Fibonacci y, si el archivo no encaja, frecuencia, pero solo si lo que lee parece "
    "texto: un archivo de frecuencia de muy pocos bytes puede necesitar que elija el método.\n"
    "\n"
    "Con una clave equivocada, o un archivo ajeno, no se escribe nada. Algunos daños no se notan: un archivo "
    "Fibonacci cortado entre grupos de tres bytes da el principio del original, y uno de frecuencia con un byte "
    "cambiado o añadido, un texto con algún carácter cambiado; verifique antes de borrar el original. Si el archivo descifrado "
    "ya existe, se pregunta antes de reemplazarlo. \"Cancelar\" detiene el trabajo sin dejar nada a medias.";

namespace {

constexpr char kNothingWritten[] = "No se ha escrito nada.";
constexpr char kNotRegularReason[] =
    "no es un archivo normal (es una carpeta, un dispositivo o una tubería); solo se leen archivos normales";

// Why a file could not be read whole: the system's reason, or how its
// content did not match the size taken at the start.
std::string ReadReason(const FileRunResult& file, const std::string& reason) {
  if (file.fault == FileFault::kShrank) return "el archivo se acortó mientras se leía";
  if (file.fault == FileFault::kGrew)
    return "el archivo cambió mientras se leía (tenía más de lo que decía su tamaño)";
  return reason;
}

BoxMessage Failure(const std::string& what, const std::string& name, const std::string& reason,
                   bool wroteNothing) {
  std::string text = what + " " + name + (reason.empty() ? "." : ":\n" + reason);
  if (wroteNothing) text += std::string("\n\n") + kNothingWritten;
  return {text, BoxIcon::kError};
}

std::string Plural(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ByChoice(const RunRequest& request) {
  return request.choice ? " por el método " + SpanishMethodName(*request.choice) : std::string();
}

BoxMessage Rejected(const RunRequest& request, bool wroteNothing) {
  std::string text = "No se puede descifrar " + request.encrypted + " con esta clave" + ByChoice(request) +
                     ".\n\nLa clave no es la correcta, o el archivo está dañado o no fue cifrado por QOR" +
                     (request.choice ? " con ese método." : ".");
  if (wroteNothing) text += std::string(" ") + kNothingWritten;
  return {text, BoxIcon::kError};
}

// Frequency read text with this key, but with more drops than it decrypts.
BoxMessage TooManyDrops(const RunRequest& request, bool wroteNothing) {
  std::string text = "No se puede descifrar " + request.encrypted +
                     ": con esta clave se lee texto, pero el cifrado por normalización de frecuencia quitó bytes en "
                     "demasiados lugares (letras acentuadas cada pocas letras, o un texto que no está en "
                     "Windows-1252). Este archivo no se puede recuperar.";
  if (wroteNothing) text += std::string(" ") + kNothingWritten;
  return {text, BoxIcon::kError};
}

BoxMessage Decrypted(const RunOutcome& outcome, const std::string& reason) {
  const RunRequest& request = outcome.request;
  const DecryptOutcome& d = outcome.decrypted;
  switch (d.file.fault) {
    case FileFault::kNone:
      break;
    case FileFault::kOpenInput:
      return Failure("No se puede abrir", request.encrypted, reason, true);
    case FileFault::kOpenOutput:
      return Failure("No se puede crear", request.other, reason, true);
    case FileFault::kOutputNotRegular:
      return Failure("No se puede crear", request.other,
                     "ese nombre no es de un archivo normal (una carpeta, un enlace, un dispositivo...), y solo un "
                     "archivo normal se reemplaza",
                     true);
    case FileFault::kOutputExists:  // DecryptFile tells it as outputExists
      return ReplaceQuestion(request.other);
    case FileFault::kOutputIsInput:
      return {"El archivo descifrado sería el mismo archivo cifrado (" + request.other +
                  "). Elija otro nombre con \"Guardar como...\".",
              BoxIcon::kWarning};
    case FileFault::kNotRegular:
      return Failure("No se puede abrir", request.encrypted, kNotRegularReason, true);
    case FileFault::kRead:
    case FileFault::kShrank:
    case FileFault::kGrew:
      return Failure("No se puede leer", request.encrypted, ReadReason(d.file, reason), true);
    case FileFault::kWrite:
      return Failure("No se puede escribir", request.other, reason, true);
    case FileFault::kStopped:
      return {std::string("Descifrado cancelado. ") + kNothingWritten, BoxIcon::kInformation};
  }
  if (d.tooManyDrops()) return TooManyDrops(request, true);
  if (d.rejected) return Rejected(request, true);
  if (d.outputExists) return ReplaceQuestion(request.other);

  std::string text = "Descifrado: " + request.other + "\n\nMétodo: " + SpanishMethodName(d.method()) +
                     (request.choice ? "" : " (elegido automáticamente)") + ".";
  if (d.method() == Method::kFibonacci) {
    text += " El archivo ha vuelto byte a byte.";
    if (d.decrypted.fibonacci.couldBeEmpty)
      text += " Un archivo vacío da los mismos dos bytes cifrados; se ha escrito como el byte 0x00.";
  } else {
    const std::int64_t drops = d.decrypted.frequency.dropPoints;
    if (drops == 0) {
      text += " No faltaba ningún byte.";
    } else {
      text += " En " + Plural(drops, "lugar", "lugares") +
              " faltaban bytes que el cifrado quitó (letras acentuadas y otros caracteres que este método no "
              "codifica): no se pueden recuperar, y junto a esos lugares algún carácter puede haber cambiado.";
    }
  }
  return {text, BoxIcon::kInformation};
}

BoxMessage Verified(const RunOutcome& outcome, const std::string& reason) {
  const RunRequest& request = outcome.request;
  const VerifyOutcome& v = outcome.verified;
  switch (v.file.fault) {
    case FileFault::kNone:
      break;
    case FileFault::kOpenInput:
    case FileFault::kOutputIsInput:  // verifying writes no file
      return Failure("No se puede abrir", v.fileName, reason, false);
    case FileFault::kOpenOutput:
    case FileFault::kOutputNotRegular:
    case FileFault::kOutputExists:
      return Failure("No se puede crear", "un archivo temporal", reason, false);
    case FileFault::kNotRegular:
      return Failure("No se puede abrir", v.fileName, kNotRegularReason, false);
    case FileFault::kRead:
    case FileFault::kShrank:
    case FileFault::kGrew:
      return Failure("No se puede leer", v.fileName, ReadReason(v.file, reason), false);
    case FileFault::kWrite:
      return Failure("No se puede escribir", "un archivo temporal", reason, false);
    case FileFault::kStopped:
      return {"Verificación cancelada.", BoxIcon::kInformation};
  }
  if (v.tooManyDrops) return TooManyDrops(request, false);
  if (v.rejected) return Rejected(request, false);

  const std::string method = " (método: " + SpanishMethodName(v.method) + ")";
  if (!v.matches) {
    return {request.encrypted + " no se descifra en " + request.other + method +
                ".\n\nEl primer byte que no vuelve está en la posición " + std::to_string(v.firstDifference) +
                " del original (contando desde 0). No borre el original.",
            BoxIcon::kWarning};
  }
  if (v.method == Method::kFibonacci) {
    return {"Verificación correcta: " + request.encrypted + " se descifra en " + request.other + method +
                ", byte a byte.",
            BoxIcon::kInformation};
  }
  std::string text = "Verificación correcta: " + request.encrypted + " se descifra en " + request.other + method +
                     ". Coinciden los " + Plural(v.kept, "byte", "bytes") + " que este método conserva.";
  if (v.dropped == 0) return {text + " No falta ninguno.", BoxIcon::kInformation};
  text += "\n\nPero " + Plural(v.dropped, "byte del original no vuelve", "bytes del original no vuelven") +
          ": el método los quitó al cifrar. Si los necesita, no borre el original.";
  return {text, BoxIcon::kWarning};
}

}  // namespace

BoxMessage NoEncryptedFileMessage() {
  return {"Elija el archivo cifrado con \"Examinar...\" o escriba su nombre.", BoxIcon::kWarning};
}

BoxMessage NoOutputNameMessage() {
  return {"Indique dónde guardar el archivo descifrado con \"Guardar como...\".", BoxIcon::kWarning};
}

BoxMessage NoKeyMessage() { return {"Escriba la clave: de 1 a 7 caracteres.", BoxIcon::kWarning}; }

BoxMessage NoWorkerMessage() {
  return {"No se puede empezar: el sistema no da recursos para otro trabajo. Cierre algún programa y vuelva a "
          "intentarlo.",
          BoxIcon::kError};
}

BoxMessage OutcomeMessage(const RunOutcome& outcome, const std::string& systemReason) {
  return outcome.request.kind == RunKind::kDecrypt ? Decrypted(outcome, systemReason)
                                                   : Verified(outcome, systemReason);
}

BoxMessage ReplaceQuestion(const std::string& output) {
  return {output + " ya existe.\n\n¿Desea reemplazarlo?", BoxIcon::kQuestion};
}

std::string SpanishMethodName(Method method) {
  return method == Method::kFibonacci ? "Fibonacci" : "normalización de frecuencia";
}

}  // namespace qor
