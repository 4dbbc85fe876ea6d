#include "app/walkthrough_stages.h"

namespace velsaro {

namespace {

constexpr const char* d1 = "Se calculan las intersecciones para una malla de tamaño 3x3";
constexpr const char* d2 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. "
                           "En este paso es el nivel 1, por tanto, máscaras de 4x4";
constexpr const char* d3 = "Cálculo de la DCT de todas las máscaras y obtención de los coeficientes";
constexpr const char* d4 = "Cálculo de la matríz 'P' con los promedios de los coeficientes de cada máscara";
constexpr const char* d5 = "Cálculo de la matríz 'S' a partir de la 'P' hallada en el paso anterior. Ahora puede "
                           "seleccionar cualquier intersección para ver los resultados intermedios";
constexpr const char* d6 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. "
                           "Este es el segundo nivel (2), por tanto, máscaras de 8x8";
constexpr const char* d7 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. "
                           "En este último nivel 3, las máscaras son de 16x16";
constexpr const char* d8 = "Composición de todos los elementos de las matrices 'S' ya halladas "
                           "(para los tres niveles) para formar la clave de la imagen";

constexpr const char* nivel1 = "   Nivel: 1 -> Máscaras 4x4";
constexpr const char* nivel2 = "   Nivel: 2 -> Máscaras 8x8";
constexpr const char* nivel3 = "   Nivel: 3 -> Máscaras 16x16";
constexpr const char* composicion = "Composición de la Clave";

// Each level takes four stages: the mask positions with its mesh, the DCT, 'P', then 'S', after which
// the arrays hold the level and the click areas open until the next press. The highlight follows
// the stage list's rows, wrapping from the 'S' row back to the level row.
constexpr std::array<WalkthroughStage, walkthroughStageCount> stages = {{
    {.meshEntry = 1, .meshKey = "malla", .highlightedRow = 0, .description = d1},
    {.meshEntry = 2, .meshKey = "malla4", .highlightedRow = 1, .description = d2},
    {.maskSize = 4, .highlightedRow = 2, .description = d3},
    {.highlightedRow = 3, .description = d4, .detailLevel = 1},
    {.highlightedRow = 4, .description = d5, .detailLevel = 1},
    {.meshEntry = 3, .meshKey = "malla8", .levelRowText = nivel2, .highlightedRow = 1, .description = d6,
     .zonesClickable = true, .detailLevel = 1},
    {.maskSize = 8, .highlightedRow = 2, .description = d3},
    {.highlightedRow = 3, .description = d4, .detailLevel = 2},
    {.highlightedRow = 4, .description = d5, .detailLevel = 2},
    {.meshEntry = 4, .meshKey = "malla16", .levelRowText = nivel3, .highlightedRow = 1, .description = d7,
     .zonesClickable = true, .detailLevel = 2},
    {.maskSize = 16, .highlightedRow = 2, .description = d3},
    {.highlightedRow = 3, .description = d4, .detailLevel = 3},
    {.addedRow = composicion, .highlightedRow = 4, .description = d5, .detailLevel = 3},
    {.highlightedRow = 5, .description = d8, .zonesClickable = true, .detailLevel = 3},
    // The last stage puts the window back as it was before the walkthrough.
    {.levelRowText = nivel1, .highlightedRow = 0, .description = ""},
}};

} // namespace

const std::array<const char*, 5> stageListStartRows = {
    "Cálculo de Intersecciones (mallado 3x3)",
    nivel1,
    "     Cálculo de DCT de las máscaras",
    "     Cálculo del Promedio de los coeficientes",
    "     Cálculo del Vector S",
};

const WalkthroughStage* walkthroughStage(int paso)
{
    if (paso < 1 || paso > walkthroughStageCount)
        return nullptr;
    return &stages[std::size_t(paso - 1)];
}

} // namespace velsaro
