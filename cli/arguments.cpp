// The command line of velsaro-clave, read with getopt_long: one action and its options.
#include "cli/arguments.h"

#include "catalogue/catalogue.h"
#include "engine/key_distance.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>

namespace velsaro::cli {

namespace {

// The help text states these limits in words.
static_assert(maxNearDistance == keyBitCount && maxMatrixPictures == 64 && maxJobs == 1024);
static_assert(commitBatchSize == 256 && commitInterval == std::chrono::seconds(1));

constexpr const char* usageText = R"(Uso: velsaro-clave [OPCIONES] RUTA...
     velsaro-clave --compare [--near D] --html PÁGINA RUTA...
     velsaro-clave --catalogue ARCHIVO --find [--near D] [--json] [-j N] RUTA...
     velsaro-clave --catalogue ARCHIVO --merge CATÁLOGO...
     velsaro-clave --catalogue ARCHIVO --import LISTA...
     velsaro-clave --catalogue ARCHIVO --prune [RUTA...]
Calcula la Clave de cada imagen (Windows BMP, JPEG o GIF): 27 códigos de 0 a 255,
cada uno seguido de un punto, tal como la obtiene el programa de la imagen mostrada
en su área de dibujo de 430 x 503 píxeles.

Cada RUTA es un archivo, cuyo formato se reconoce por su contenido, o una carpeta,
que se recorre con sus subcarpetas buscando archivos .bmp, .jpg, .jpeg y .gif (en
mayúsculas o minúsculas), en orden de ruta.

La distancia entre dos claves es el número de sus 216 bits que difieren (27 códigos
de 8 bits; cada bit compara una intersección con un vecino): de 0, claves iguales,
a 216.

Opciones:
  --compare        tras las claves, agrupa las imágenes que tienen la misma clave
  --near D         con --compare, agrupa las copias parecidas: cada imagen, en el
                   orden de las rutas, entra en el primer grupo cuya primera imagen
                   es copia suya, o empieza un grupo nuevo; D es un entero de 0 a 216
                   (por omisión 0: solo claves iguales). Son copias dos imágenes
                   cuyas huellas (63 bits de lo que lee la clave) difieren en 8 bits
                   o menos, o cuyas claves están a D bits o menos y además sus
                   huellas difieren en 16 bits o menos y sus grises (16 x 16, sin
                   media ni contraste) se correlacionan al menos 0,90, o en 28 o
                   menos con una correlación de al menos 0,99. Para buscar copias:
                   --fit --near 32. La distancia de las claves sola, en --matrix.
                   Con --find, la D de lo que se busca
  --matrix         tras las claves y los grupos, la tabla de las distancias entre
                   cada dos imágenes (hasta 64 imágenes)
  --html ARCHIVO   con --compare, escribe además la página ARCHIVO, que un navegador
                   abre sin red ni programas: por grupo de dos o más imágenes, su clave,
                   la orden «velsaro ...» que lo abre en el programa (una por parte
                   de hasta 8 imágenes) y, por imagen, una miniatura de lo que lee
                   la clave, su ruta, su distancia a la primera del grupo y el tamaño
                   de su archivo; al final, cuántas no se parecen a ninguna otra. Las
                   miniaturas van en la carpeta ARCHIVO sin «.html» seguido de
                   «_archivos», que queda solo con las que usa la página. Antes de
                   calcular nada se comprueba que la página y la carpeta se pueden
                   escribir; nada se escribe a través de un enlace, y si algo falla
                   la página anterior queda intacta
  --fit            antes de calcular la clave, reduce o amplía cada imagen entera para
                   que quepa en el área de 430 x 503 (arriba a la izquierda, sobre el
                   gris de fondo): la clave describe toda la imagen y se conserva
                   aunque la imagen cambie de tamaño. Sin --fit la clave lee la
                   imagen tal cual, cortada por el área. El catálogo guarda la clave
                   ajustada aparte de la otra; no se combina con --import ni --merge
  --json           escribe un documento JSON en lugar de las líneas
  -j N, --jobs N   decodifica y calcula con N hilos (de 1 a 1024; por omisión {jobs},
                   uno por procesador); el resultado no depende de N
  --catalogue ARCHIVO
                   guarda en ARCHIVO, una base de datos SQLite que se crea si no
                   existe, la ruta absoluta (sus carpetas resueltas por el sistema de
                   archivos) y la clave de cada imagen calculada, con lo que
                   identifica su archivo: tamaño, fechas de modificación y de cambio,
                   nodo-i y dispositivo. Una imagen cuyo archivo conserva todo eso
                   no se decodifica: su clave sale del catálogo; un archivo cambiado
                   justo antes de calcularse (dentro de la resolución de las fechas
                   de su sistema de archivos) se comprueba por su contenido la vez
                   siguiente. Con la clave se guarda la huella de lo que leyó (con
                   --fit, la clave ajustada y su huella). La salida es la misma que
                   sin catálogo. Lo calculado
                   se guarda por tandas (cada 256 imágenes o cada segundo): si la
                   ejecución se interrumpe, la siguiente sigue donde quedó. Varias
                   ejecuciones pueden usar el mismo catálogo a la vez. Un archivo
                   que no es un catálogo, o un catálogo de una versión posterior,
                   se rechaza sin modificarlo, con sus archivos -wal y -shm; un
                   catálogo de un formato anterior se actualiza al abrirlo con
                   permiso de escritura
  --find           con --catalogue: para cada RUTA, las imágenes del catálogo que son
                   copias suyas como las agrupa --near D (por omisión 0; con --fit,
                   por las claves ajustadas y sus huellas), de la clave más cercana
                   a la más lejana y, a igual distancia, por ruta; las que no tienen
                   huella (importadas, o no vistas desde que el catálogo se
                   actualizó), solo por la clave: a D bits o menos. No las que ya
                   no existen o ya no son archivos regulares, salvo las importadas,
                   que se listan tal cual. Basta con poder leer el catálogo
                   terminado
  --merge          con --catalogue: cada RUTA es otro catálogo, cuyas imágenes se
                   incorporan a ARCHIVO; de dos registros de una misma ruta queda el
                   de fecha de modificación más reciente. Los otros no cambian; si
                   alguno no se puede leer, no se crea ni se cambia nada
  --import         con --catalogue: cada RUTA es una LISTA, la salida de texto de
                   velsaro-clave («-»: la entrada estándar), cuyas líneas «CLAVE
                   RUTA» se guardan en ARCHIVO (las de los grupos y la tabla de
                   distancias se pasan por alto); las rutas relativas parten de la
                   carpeta de la lista. Escribe «Imágenes importadas al catálogo:
                   N» y cuántas rutas no llevan a ningún archivo. Una línea que no
                   es de velsaro-clave, o cuya ruta ningún sistema de archivos
                   admite (un byte nulo, un retorno de carro al final, 4096 bytes o
                   más), se indica con su lista y su número, y no se importa nada.
                   Se guarda por tandas breves: otras ejecuciones no esperan, y si
                   se interrumpe, repetirla la completa. Una imagen importada no
                   tiene tamaño ni fechas: la ejecución que encuentre su archivo lo
                   calcula de nuevo
  --prune          con --catalogue: tras calcular las claves de las RUTA, si las hay,
                   quita del catálogo las imágenes cuyo archivo ya no existe o no es
                   un archivo regular, salvo las importadas (hasta entonces se
                   conservan); sin RUTA escribe «Imágenes quitadas del catálogo: N»
  -h, --help       muestra esta ayuda y termina
  --version        muestra la versión y termina
  --               lo que sigue son rutas, aunque empiecen por «-»
  Las opciones con valor admiten también la forma --opción=VALOR (--near=5,
  --catalogue=claves.db, --html=copias.html, --jobs=4). Un ARCHIVO que se
  escribe como una opción (--compare) se toma por un valor olvidado y se
  rechaza: un archivo con ese nombre se escribe «./--compare».

Salida:
  Una línea por imagen, en el orden de las rutas: la clave, dos espacios y la ruta
  tal como se dio (en una carpeta, la carpeta unida a la ruta del archivo). Si la
  ruta contiene una barra invertida, un salto de línea u otro carácter de control
  o de dirección del texto (ESC, U+202E...), la línea empieza por «\» y la ruta
  los escribe como «\\», «\n» y, los demás, cada byte como «\xNN»; --import
  recupera así la ruta exacta. Las líneas de error los escriben igual.
  Con --compare siguen una línea en blanco y un grupo por clave distinta, en el
  orden en que aparece por primera vez:
    Grupo 1 (2 imágenes): CLAVE
      RUTA
      RUTA
  Con --near D mayor que 0, la clave de un grupo es la de su primera imagen y cada
  ruta lleva delante cuánto se parece a ella: la distancia de las claves (alineada a
  la derecha en 3 posiciones), la de las huellas (en 2) y la correlación de los
  grises (con 3 decimales):
    Grupo 1 (2 imágenes): CLAVE
        0   0  1.000  RUTA
       12   3  0.998  RUTA
  Con --matrix siguen una línea en blanco, «Distancias en bits:», una fila con los
  números de las columnas y una fila por imagen: su número, su distancia a cada
  imagen y su ruta.
  Con --find, por imagen buscada, su línea de clave y una línea por imagen hallada,
  con su distancia, la de las huellas y la correlación de los grises como en los
  grupos (o «solo por la clave» si no tiene huella) y su ruta absoluta tal como la
  guarda el catálogo:
    CLAVE  RUTA
        0   0  1.000  RUTA-EN-EL-CATÁLOGO
       12  solo por la clave  RUTA-EN-EL-CATÁLOGO
  Con --json, un objeto con "pictures": por imagen, {"path", "key", "codes" (27),
  "levels": [{"N", "matrizP" (3 x 3), "codes" (9)} x 3]} o {"path", "error"};
  con --compare además "groups": [{"key", "paths", "distances"}] (con --near
  también "hash_distances" y "grey_correlations"), con --matrix
  "matrix": {"paths", "distances" (una fila por imagen)}. Con --find, el objeto es
  {"queries": [{"path", "key", "matches": [{"path", "distance", "hash_distance",
  "grey_correlation"} o {"path", "distance", "by_key_alone": true}]} o {"path",
  "error"}]}. Una ruta que no es UTF-8 lleva al lado "path_bytes", sus bytes en
  base64 (y "paths", "paths_bytes", con null para las que son UTF-8).
  Cada imagen, carpeta o entrada de carpeta que no se puede leer se indica en la
  salida de errores con una línea «velsaro-clave: RUTA: motivo» (con --json,
  también en "pictures", en su lugar por ruta), y las demás se procesan igual.
  En un terminal, los lotes de más de 3 imágenes muestran su avance en la salida
  de errores.

Estado de salida:
  0  se obtuvo la clave de todas las imágenes
  1  alguna imagen o carpeta no se pudo leer, --matrix tenía más de 64 imágenes,
     la página de --html o una de sus miniaturas no se pudo escribir, o una LISTA
     de --import no se pudo leer o tenía una línea que no es de velsaro-clave
  2  error en la línea de órdenes
  3  el catálogo no se pudo usar: no es un catálogo de velsaro-clave, es de una
     versión posterior, otra ejecución lo ocupó más de 120 s, o no se pudo leer o
     escribir (la línea de la salida de errores dice cuál)
)";

// Long options without a short form get codes past every character.
enum OptionCode : int {
    pathCode = 1, // what getopt_long returns for a path in "-" mode
    helpCode = 'h',
    jobsCode = 'j',
    compareCode = 256,
    jsonCode,
    matrixCode,
    nearCode,
    catalogueCode,
    findCode,
    mergeCode,
    importCode,
    pruneCode,
    htmlCode,
    fitCode,
    versionCode,
};

const option longOptions[] = {
    {"compare", no_argument, nullptr, compareCode},
    {"json", no_argument, nullptr, jsonCode},
    {"matrix", no_argument, nullptr, matrixCode},
    {"near", required_argument, nullptr, nearCode},
    {"catalogue", required_argument, nullptr, catalogueCode},
    {"find", no_argument, nullptr, findCode},
    {"merge", no_argument, nullptr, mergeCode},
    {"import", no_argument, nullptr, importCode},
    {"prune", no_argument, nullptr, pruneCode},
    {"html", required_argument, nullptr, htmlCode},
    {"fit", no_argument, nullptr, fitCode},
    {"jobs", required_argument, nullptr, jobsCode},
    {"help", no_argument, nullptr, helpCode},
    {"version", no_argument, nullptr, versionCode},
    {nullptr, 0, nullptr, 0},
};

// "-": paths come back in their place among the options, so nothing is reordered; ":": a missing
// value is told apart from an unknown option.
constexpr const char* shortOptions = "-:hj:";

char programName[] = "velsaro-clave";

// The options that choose the action rather than set one of its options.
struct Asked {
    bool find = false;
    bool merge = false;
    bool import = false;
};

std::optional<int> integerIn(const std::string& text, int least, int most)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < least || value > most)
        return std::nullopt;
    return value;
}

ParsedArguments usageError(std::string message)
{
    ParsedArguments parsed;
    parsed.request = Request::UsageError;
    parsed.error = std::move(message);
    return parsed;
}

// word is the option as written: "-j" or "--jobs" for the job count.
std::string missingValueMessage(int code, const std::string& word)
{
    switch (code) {
    case nearCode: return "falta la distancia tras «--near»";
    case catalogueCode: return "falta el ARCHIVO del catálogo tras «--catalogue»";
    case htmlCode: return "falta el ARCHIVO de la página tras «--html»";
    default: return "falta el número de hilos tras «" + word + "»";
    }
}

// getopt_long also takes an unambiguous beginning of a long option's name; this tool takes whole
// names only, so that a later option cannot change what an abbreviation meant.
bool isWholeName(const std::string& word, const char* name)
{
    return !word.starts_with("--") || word.substr(2, word.find('=') - 2) == name;
}

// Whether text is written as one of this tool's options ("--compare", "--near=5", "-j4", "-h"): as an
// option's value it is far more likely a forgotten value than a file's name.
bool isOptionWord(const std::string& text)
{
    if (text.starts_with("--")) {
        const std::string name = text.substr(2, text.find('=') - 2);
        return std::any_of(std::begin(longOptions), std::end(longOptions) - 1,
                           [&](const option& known) { return name == known.name; });
    }
    return text == "-h" || text.starts_with("-j");
}

std::optional<std::string> applyValue(int code, const std::string& value, const std::string& word,
                                      Options& options)
{
    if (code == catalogueCode || code == htmlCode) {
        if (value.empty())
            return missingValueMessage(code, word);
        if (isOptionWord(value))
            return missingValueMessage(code, word) + " («" + value + "» es una opción; un archivo con ese nombre se escribe «./" +
                   value + "»)";
        (code == htmlCode ? options.htmlPage : options.catalogue) = value;
    } else if (code == nearCode) {
        const auto distance = integerIn(value, 0, maxNearDistance);
        if (!distance)
            return "distancia no válida: «" + value + "» (debe ser un entero de 0 a 216)";
        options.nearDistance = *distance;
    } else {
        const auto jobs = integerIn(value, 1, maxJobs);
        if (!jobs)
            return "número de hilos no válido: «" + value + "» (debe ser un entero de 1 a 1024)";
        options.jobs = *jobs;
    }
    return std::nullopt;
}

std::optional<std::string> apply(int code, const std::string& value, const std::string& word,
                                 ParsedArguments& parsed, Asked& asked)
{
    Options& options = parsed.options;
    switch (code) {
    case pathCode: options.paths.push_back(value); break;
    case helpCode: parsed.request = Request::ShowHelp; break;
    case versionCode:
        if (parsed.request != Request::ShowHelp)
            parsed.request = Request::ShowVersion;
        break;
    case compareCode: options.compare = true; break;
    case jsonCode: options.json = true; break;
    case matrixCode: options.matrix = true; break;
    case findCode: asked.find = true; break;
    case mergeCode: asked.merge = true; break;
    case importCode: asked.import = true; break;
    case pruneCode: options.prune = true; break;
    case fitCode: options.fit = true; break;
    default: return applyValue(code, value, word, options);
    }
    return std::nullopt;
}

// What the options ask for, as one of a few sensible combinations.
std::optional<std::string> combinationError(const Options& options, const Asked& asked)
{
    // A list holds keys without fingerprints, stored as plain keys; a merge carries both kinds of key.
    if (options.fit && (asked.import || asked.merge))
        return "--fit no se combina con --import ni --merge: las listas se guardan como claves sin ajustar";
    if (options.catalogue.empty()) {
        for (const auto& [given, name] : {std::pair{asked.find, "--find"}, {asked.merge, "--merge"},
                                          {asked.import, "--import"}, {options.prune, "--prune"}})
            if (given)
                return std::string(name) + " necesita un catálogo: --catalogue ARCHIVO";
    }
    if (asked.find && asked.merge)
        return "--find y --merge no se combinan";
    if (asked.import && (asked.find || asked.merge))
        return "--import no se combina con --find ni --merge";
    if (asked.import && (options.compare || options.matrix || options.prune || options.nearDistance > 0))
        return "--import no se combina con --compare, --matrix, --prune ni --near";
    if ((asked.find || asked.merge) && (options.compare || options.matrix || options.prune))
        return std::string(asked.find ? "--find" : "--merge") +
               " no se combina con --compare, --matrix ni --prune";
    if (options.nearDistance > 0 && !options.compare && !asked.find)
        return "--near solo se usa con --compare o --find";
    if (!options.htmlPage.empty() && !options.compare)
        return "--html solo se usa con --compare";
    if (options.paths.empty() && asked.import)
        return "falta al menos una LISTA de claves que importar";
    if (options.paths.empty() && !options.prune)
        return asked.merge ? "falta la RUTA de al menos un catálogo que incorporar"
                           : "falta la RUTA de al menos una imagen o carpeta";
    return std::nullopt;
}

Action actionOf(const Options& options, const Asked& asked)
{
    if (asked.find)
        return Action::Find;
    if (asked.merge)
        return Action::Merge;
    if (asked.import)
        return Action::Import;
    if (options.compare || options.matrix)
        return Action::Compare;
    return options.prune && options.paths.empty() ? Action::Prune : Action::Key;
}

// Reads every option with getopt_long; the first refused one ends the reading.
std::optional<std::string> readOptions(std::vector<char*>& argv, ParsedArguments& parsed, Asked& asked)
{
    const int argc = int(argv.size()) - 1;
    optind = 0; // a whole new reading, not the rest of a previous one
    opterr = 0; // the messages are this tool's own, in Spanish
    for (;;) {
        const int at = std::max(optind, 1); // the word getopt_long reads next
        const std::string word = at < argc ? argv[std::size_t(at)] : "";
        int index = -1;
        const int code = getopt_long(argc, argv.data(), shortOptions, longOptions, &index);
        if (code == -1)
            break;
        if (code == ':')
            return missingValueMessage(optopt, word);
        if (code == '?' || (index >= 0 && !isWholeName(word, longOptions[index].name)))
            return "opción desconocida: «" + word + "»";
        if (auto error = apply(code, optarg ? optarg : "", word, parsed, asked))
            return error;
    }
    for (int i = optind; i < argc; ++i) // after "--"
        parsed.options.paths.push_back(argv[std::size_t(i)]);
    return std::nullopt;
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string>& arguments, int defaultJobs)
{
    std::vector<std::string> words = arguments;
    std::vector<char*> argv = {programName};
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    ParsedArguments parsed;
    parsed.options.jobs = defaultJobs;
    Asked asked;
    if (const auto error = readOptions(argv, parsed, asked))
        return usageError(*error);
    if (parsed.request != Request::Run)
        return parsed;
    if (const auto error = combinationError(parsed.options, asked))
        return usageError(*error);
    parsed.options.action = actionOf(parsed.options, asked);
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
    std::string text = usageText;
    const std::string placeholder = "{jobs}";
    return text.replace(text.find(placeholder), placeholder.size(), std::to_string(defaultJobs));
}

} // namespace velsaro::cli
