#include "cli/arguments.h"

#include "cli/catalogue.h"
#include "cli/key_distance.h"

#include <charconv>
#include <optional>

namespace velsaro::cli {

namespace {

std::optional<int> integerIn(const std::string& text, int least, int most)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < least || value > most)
        return std::nullopt;
    return value;
}

std::optional<int> jobCount(const std::string& text)
{
    return integerIn(text, 1, maxJobs);
}

ParsedArguments usageError(std::string message)
{
    ParsedArguments parsed;
    parsed.request = Request::UsageError;
    parsed.error = std::move(message);
    return parsed;
}

std::string badJobsMessage(const std::string& value)
{
    return "número de hilos no válido: «" + value + "» (debe ser un entero de 1 a " +
           std::to_string(maxJobs) + ")";
}

// The value of -j N, -jN, --jobs N or --jobs=N, if argument is one of them; index moves past a
// separate value.
std::optional<std::string> jobsValue(const std::vector<std::string>& arguments, std::size_t& index,
                                     bool& missing)
{
    const std::string& argument = arguments[index];
    if (argument.starts_with("--jobs="))
        return argument.substr(7);
    if (argument.starts_with("-j") && argument.size() > 2)
        return argument.substr(2);
    if (argument != "-j" && argument != "--jobs")
        return std::nullopt;
    missing = index + 1 >= arguments.size();
    if (missing)
        return std::string();
    return arguments[++index];
}

// The value of NAME VALUE or NAME=VALUE, if argument is that option; index moves past a separate value.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments, std::size_t& index,
                                       const std::string& name, bool& missing)
{
    const std::string& argument = arguments[index];
    if (argument.starts_with(name + "="))
        return argument.substr(name.size() + 1);
    if (argument != name)
        return std::nullopt;
    missing = index + 1 >= arguments.size();
    if (missing)
        return std::string();
    return arguments[++index];
}

// What the options ask for, as one of a few sensible combinations.
std::optional<std::string> combinationError(const Options& options)
{
    if (options.catalogue.empty()) {
        for (const auto& [given, name] : {std::pair{options.find, "--find"}, {options.merge, "--merge"},
                                          {options.prune, "--prune"}})
            if (given)
                return std::string(name) + " necesita un catálogo: --catalogue ARCHIVO";
    }
    if (options.find && options.merge)
        return "--find y --merge no se combinan";
    if ((options.find || options.merge) && (options.compare || options.matrix || options.prune))
        return std::string(options.find ? "--find" : "--merge") +
               " no se combina con --compare, --matrix ni --prune";
    if (options.nearDistance > 0 && !options.compare && !options.find)
        return "--near solo se usa con --compare o --find";
    if (options.paths.empty() && !options.prune)
        return options.merge ? "falta la RUTA de al menos un catálogo que incorporar"
                             : "falta la RUTA de al menos una imagen o carpeta";
    return std::nullopt;
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string>& arguments, int defaultJobs)
{
    ParsedArguments parsed;
    parsed.options.jobs = defaultJobs;
    bool onlyPathsFollow = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPathsFollow || argument.size() < 2 || argument[0] != '-') {
            parsed.options.paths.push_back(argument);
            continue;
        }
        bool missing = false;
        if (argument == "--") {
            onlyPathsFollow = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.request = Request::ShowHelp;
        } else if (argument == "--version") {
            if (parsed.request != Request::ShowHelp)
                parsed.request = Request::ShowVersion;
        } else if (argument == "--compare") {
            parsed.options.compare = true;
        } else if (argument == "--json") {
            parsed.options.json = true;
        } else if (argument == "--matrix") {
            parsed.options.matrix = true;
        } else if (argument == "--find") {
            parsed.options.find = true;
        } else if (argument == "--merge") {
            parsed.options.merge = true;
        } else if (argument == "--prune") {
            parsed.options.prune = true;
        } else if (const auto value = optionValue(arguments, i, "--near", missing)) {
            if (missing)
                return usageError("falta la distancia tras «--near»");
            const auto distance = integerIn(*value, 0, maxNearDistance);
            if (!distance)
                return usageError("distancia no válida: «" + *value + "» (debe ser un entero de 0 a " +
                                  std::to_string(maxNearDistance) + ")");
            parsed.options.nearDistance = *distance;
        } else if (const auto value = optionValue(arguments, i, "--catalogue", missing)) {
            if (missing || value->empty())
                return usageError("falta el ARCHIVO del catálogo tras «--catalogue»");
            parsed.options.catalogue = *value;
        } else if (const auto value = jobsValue(arguments, i, missing)) {
            if (missing)
                return usageError("falta el número de hilos tras «" + argument + "»");
            const auto jobs = jobCount(*value);
            if (!jobs)
                return usageError(badJobsMessage(*value));
            parsed.options.jobs = *jobs;
        } else {
            return usageError("opción desconocida: «" + argument + "»");
        }
    }
    if (parsed.request != Request::Run)
        return parsed;
    if (const auto error = combinationError(parsed.options))
        return usageError(*error);
    return parsed;
}

std::string versionText()
{
    return std::string("velsaro-clave ") + VELSARO_VERSION + "\n";
}

std::string helpHint()
{
    return "Pruebe «velsaro-clave --help» para más información.";
}

std::string helpText(int defaultJobs)
{
    return "Uso: velsaro-clave [OPCIONES] RUTA...\n"
           "     velsaro-clave --catalogue ARCHIVO --find [--near D] [--json] [-j N] RUTA...\n"
           "     velsaro-clave --catalogue ARCHIVO --merge CATÁLOGO...\n"
           "     velsaro-clave --catalogue ARCHIVO --prune [RUTA...]\n"
           "Calcula la Clave de cada imagen (Windows BMP, JPEG o GIF): 27 códigos de 0 a 255,\n"
           "cada uno seguido de un punto, tal como la obtiene el programa de la imagen mostrada\n"
           "en su área de dibujo de 430 x 503 píxeles.\n"
           "\n"
           "Cada RUTA es un archivo, cuyo formato se reconoce por su contenido, o una carpeta,\n"
           "que se recorre con sus subcarpetas buscando archivos .bmp, .jpg, .jpeg y .gif (en\n"
           "mayúsculas o minúsculas), en orden de ruta.\n"
           "\n"
           "La distancia entre dos claves es el número de sus 216 bits que difieren (27 códigos\n"
           "de 8 bits; cada bit compara una intersección con un vecino): de 0, claves iguales,\n"
           "a 216.\n"
           "\n"
           "Opciones:\n"
           "  --compare        tras las claves, agrupa las imágenes que tienen la misma clave\n"
           "  --near D         con --compare, agrupa también claves distintas: cada imagen, en el\n"
           "                   orden de las rutas, entra en el primer grupo cuya primera imagen\n"
           "                   está a D bits o menos de ella, o empieza un grupo nuevo; D es un\n"
           "                   entero de 0 a " + std::to_string(maxNearDistance) + " (por omisión 0: solo claves iguales).\n"
           "                   Con --find, la distancia máxima de lo que se busca\n"
           "  --matrix         tras las claves y los grupos, la tabla de las distancias entre\n"
           "                   cada dos imágenes (hasta " + std::to_string(maxMatrixPictures) + " imágenes)\n"
           "  --json           escribe un documento JSON en lugar de las líneas\n"
           "  -j N, --jobs N   decodifica y calcula con N hilos (de 1 a " +
           std::to_string(maxJobs) + "; por omisión " + std::to_string(defaultJobs) +
           ",\n"
           "                   uno por procesador); el resultado no depende de N\n"
           "  --catalogue ARCHIVO\n"
           "                   guarda en ARCHIVO, una base de datos SQLite que se crea si no\n"
           "                   existe, la ruta absoluta, el tamaño, la fecha de modificación y\n"
           "                   la clave de cada imagen calculada. Una imagen cuyo archivo tiene\n"
           "                   el tamaño y la fecha guardados no se decodifica: su clave sale\n"
           "                   del catálogo. La salida es la misma que sin catálogo. Lo calculado\n"
           "                   se guarda por tandas (cada " + std::to_string(commitBatchSize) +
           " imágenes o cada segundo): si la\n"
           "                   ejecución se interrumpe, la siguiente sigue donde quedó. Varias\n"
           "                   ejecuciones pueden usar el mismo catálogo a la vez. Un archivo\n"
           "                   que no es un catálogo, o un catálogo de una versión posterior,\n"
           "                   se rechaza sin modificarlo\n"
           "  --find           con --catalogue: para cada RUTA, las imágenes del catálogo cuya\n"
           "                   clave está a D bits o menos (--near D; por omisión 0), de la más\n"
           "                   cercana a la más lejana y, a igual distancia, por ruta\n"
           "  --merge          con --catalogue: cada RUTA es otro catálogo, cuyas imágenes se\n"
           "                   incorporan a ARCHIVO; de dos registros de una misma ruta queda el\n"
           "                   de fecha de modificación más reciente. Los otros no se modifican\n"
           "  --prune          con --catalogue: tras calcular las claves de las RUTA, si las hay,\n"
           "                   quita del catálogo las imágenes cuyo archivo ya no existe (hasta\n"
           "                   entonces se conservan); sin RUTA escribe «Imágenes quitadas del\n"
           "                   catálogo: N»\n"
           "  -h, --help       muestra esta ayuda y termina\n"
           "  --version        muestra la versión y termina\n"
           "  --               lo que sigue son rutas, aunque empiecen por «-»\n"
           "  Las opciones con valor admiten también la forma --opción=VALOR (--near=5,\n"
           "  --catalogue=claves.db, --jobs=4).\n"
           "\n"
           "Salida:\n"
           "  Una línea por imagen, en el orden de las rutas: la clave, dos espacios y la ruta\n"
           "  tal como se dio (en una carpeta, la carpeta unida a la ruta del archivo). Si la\n"
           "  ruta contiene una barra invertida o un salto de línea, la línea empieza por «\\»\n"
           "  y la ruta los escribe como «\\\\» y «\\n».\n"
           "  Con --compare siguen una línea en blanco y un grupo por clave distinta, en el\n"
           "  orden en que aparece por primera vez:\n"
           "    Grupo 1 (2 imágenes): CLAVE\n"
           "      RUTA\n"
           "      RUTA\n"
           "  Con --near D mayor que 0, la clave de un grupo es la de su primera imagen y cada\n"
           "  ruta lleva delante su distancia a ella, alineada a la derecha en 3 posiciones:\n"
           "    Grupo 1 (2 imágenes): CLAVE\n"
           "        0  RUTA\n"
           "        5  RUTA\n"
           "  Con --matrix siguen una línea en blanco, «Distancias en bits:», una fila con los\n"
           "  números de las columnas y una fila por imagen: su número, su distancia a cada\n"
           "  imagen y su ruta.\n"
           "  Con --find, por imagen buscada, su línea de clave y una línea por imagen hallada,\n"
           "  con su distancia y su ruta absoluta tal como la guarda el catálogo:\n"
           "    CLAVE  RUTA\n"
           "        0  RUTA-EN-EL-CATÁLOGO\n"
           "       12  RUTA-EN-EL-CATÁLOGO\n"
           "  Con --json, un objeto con \"pictures\": por imagen, {\"path\", \"key\", \"codes\" (27),\n"
           "  \"levels\": [{\"N\", \"matrizP\" (3 x 3), \"codes\" (9)} x 3]} o {\"path\", \"error\"};\n"
           "  con --compare además \"groups\": [{\"key\", \"paths\", \"distances\"}], con --matrix\n"
           "  \"matrix\": {\"paths\", \"distances\" (una fila por imagen)}. Con --find, el objeto es\n"
           "  {\"queries\": [{\"path\", \"key\", \"matches\": [{\"path\", \"distance\"}]} o {\"path\",\n"
           "  \"error\"}]}.\n"
           "  Cada imagen que no se puede leer se indica en la salida de errores con una línea\n"
           "  «velsaro-clave: RUTA: motivo», y las demás se procesan igual. En un terminal, los\n"
           "  lotes de más de 3 imágenes muestran su avance en la salida de errores.\n"
           "\n"
           "Estado de salida:\n"
           "  0  se obtuvo la clave de todas las imágenes\n"
           "  1  alguna imagen o carpeta no se pudo leer, o --matrix tenía más de " +
           std::to_string(maxMatrixPictures) + " imágenes\n"
           "  2  error en la línea de órdenes\n"
           "  3  el catálogo no se pudo usar: no es un catálogo de velsaro-clave, es de una\n"
           "     versión posterior, otra ejecución lo ocupó más de " +
           std::to_string(busyTimeout.count() / 1000) + " s, o no se pudo leer o\n"
           "     escribir (la línea de la salida de errores dice cuál)\n";
}

} // namespace velsaro::cli
