// The walkthrough's fifteen stages in one table: what the press of each computes and shows, and
// what the user may do while it waits for that press. The walkthrough, the driver, the enabled
// states and the detail read it rather than switch on the stage number.
#pragma once

#include <array>

namespace velsaro {

struct WalkthroughStage {
    // What its press computes: the level of masks of this size, 0 for none.
    int maskSize = 0;
    // What its press shows: the mesh picture (entry of the mesh list) laid over the image from then on,
    // under its key in the loaded list, 0 for the one already there; the new text of the stage
    // list's level row, and a row appended to the list (null for none); the row highlighted after it;
    // and what "Descripción" says.
    int meshEntry = 0;
    const char* meshKey = nullptr;
    const char* levelRowText = nullptr;
    const char* addedRow = nullptr;
    int highlightedRow = 0;
    const char* description = "";
    // What the user may do while it waits for its press: open the detail from the nine click areas,
    // and the level (1..3) the detail shows from the arrays, 0 for none.
    bool zonesClickable = false;
    int detailLevel = 0;
};

inline constexpr int walkthroughStageCount = 15;

// The stage list as the window starts and as the last stage leaves it; row 1 names the level.
inline constexpr int levelRow = 1;
extern const std::array<const char*, 5> stageListStartRows;

// Stage paso, 1..walkthroughStageCount; null for any other value.
const WalkthroughStage* walkthroughStage(int paso);

} // namespace velsaro
