#include "app/dialog_texts.h"

// The literals are UTF-8 (the compilers' default source and execution
// character set); the trailing spaces of many lines belong to the texts.
static_assert(sizeof("ñ") == 3, "the message texts must be compiled as UTF-8");

namespace qor {

const char kAboutCaption[] = "Sobre";

const char kAboutMessage[] =
    "QOR Peldar, versión para Windows 1.0\n"
    "Cifrado diseñado y programado por el equipo QOR Peldar.\n"
    "Pruebas y traducción al español: el equipo QOR Peldar.\n"
    "Personalizaciones y códecs especializados disponibles bajo petición. \n"
    "\n"
    "Este software es para exportación fuera de los EE.UU. \n"
    "\n"
    "Este software está diseñado para la intimidad personal, la seguridad personal, y seguridad financiera. No es la intención de la actividad criminal.";

const char kHelpCaption[] = "Ayudar";

const char kHelpMessage[] =
    "1. Seleccionar un fichero o introducir el nombre del archivo. \n"
    "2. Ingresa la clave. Debe introducir una clave. \n"
    "    Cualquier cosa que se pueda escribir con el teclado es una clave válida. \n"
    "3. Seleccione un tipo de encriptación. \n"
    "4. Pulse cifrar o descifrar \n"
    "5. Pulse Aceptar para terminar de procesar el archivo! \n"
    "\n"
    "\n"
    "Nota: \n"
    "El método de normalización de frecuencia está diseñado para archivos de texto ASCII. \n"
    "Además, el método de normalización de frecuencia es específico del lenguaje. \n"
    "Otros usos tendrá resultados impredecibles. Uso con otro idioma que no sea segura. \n"
    "El método de Fibonacci se puede utilizar con cualquier tipo de archivo o idioma. \n"
    "\n"
    "Advertencia: \n"
    "Si olvida su clave, su archivo será irrecuperable! \n"
    "\n"
    "Advertencia: \n"
    "Mientras Q.O.R. está completamente probado, debido a las diferencias en configuraciones de la máquina y plataformas differnt, usted debe probar completamente Q.O.R. en su sistema para asegurarse de que puede descifrar los archivos correctamente. \n"
    "\n"
    "Sólo después de probar completamente Q.O.R. en el sistema, debe eliminar permanentemente los archivos originales sin cifrar.";

}  // namespace qor
