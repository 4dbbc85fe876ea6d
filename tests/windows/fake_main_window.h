// Stands in for the main window behind the keys windows: a selector of a given number of entries
// that records what the windows ask of it.
#pragma once

#include "windows/main_window_link.h"

#include <vector>

namespace velsaro::testing {

class FakeMainWindow : public MainWindowLink {
public:
    int entries = 0;
    std::vector<int> selected;
    int broughtToFront = 0;

    int selectorEntryCount() const override { return entries; }
    void selectSelectorEntry(int index) override { selected.push_back(index); }
    void bringMainWindowToFront() override { ++broughtToFront; }
};

} // namespace velsaro::testing
