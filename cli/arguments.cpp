#include "cli/arguments.h"

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
           "Calcula la Clave de cada imagen (Windows BMP, JPEG o GIF): 27 códigos de 0 a 255,\n"
           "cada uno seguido de un punto, tal como la obtiene el programa de la imagen mostrada\n"
           "en su área de dibujo de 430 x 503 píxeles.\n"
           "\n"
           "Cada RUTA es un archivo, cuyo formato se reconoce por su contenido, o una carpeta,\n"
           "que se recorre con sus subcarpetas buscando archivos .bmp, .jpg, .jpeg y .gif (en\n"
           "mayúsculas o minúsculas), en orden de ruta.\n"
           "\n"
           "Opciones:\n"
           "  --compare        tras las claves, agrupa las imágenes que tienen la misma clave\n"
           "  --json           escribe un documento JSON en lugar de las líneas\n"
           "  -j N, --jobs N   decodifica y calcula con N hilos (de 1 a " +
           std::to_string(maxJobs) + "; por omisión " + std::to_string(defaultJobs) +
           ",\n"
           "                   uno por procesador); el resultado no depende de N\n"
           "  -h, --help       muestra esta ayuda y termina\n"
           "  --version        muestra la versión y termina\n"
           "  --               lo que sigue son rutas, aunque empiecen por «-»\n"
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
           "  Con --json, un objeto con \"pictures\": por imagen, {\"path\", \"key\", \"codes\" (27),\n"
           "  \"levels\": [{\"N\", \"matrizP\" (3 x 3), \"codes\" (9)} x 3]} o {\"path\", \"error\"};\n"
           "  con --compare además \"groups\": [{\"key\", \"paths\"}].\n"
           "  Cada imagen que no se puede leer se indica en la salida de errores con una línea\n"
           "  «velsaro-clave: RUTA: motivo», y las demás se procesan igual. En un terminal, los\n"
           "  lotes de más de 3 imágenes muestran su avance en la salida de errores.\n"
           "\n"
           "Estado de salida:\n"
           "  0  se obtuvo la clave de todas las imágenes\n"
           "  1  alguna imagen o carpeta no se pudo leer\n"
           "  2  error en la línea de órdenes\n";
}

} // namespace velsaro::cli
