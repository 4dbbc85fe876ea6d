// What the keys windows may do to the main window: pick an entry of its image selector and bring it
// to the front. The main window implements it; the tests can too.
#pragma once

namespace velsaro {

class MainWindowLink {
public:
    // Number of entries in the image selector.
    virtual int selectorEntryCount() const = 0;
    // Makes entry index (0-based, inside the selector) current, which shows that image.
    virtual void selectSelectorEntry(int index) = 0;
    virtual void bringMainWindowToFront() = 0;

protected:
    ~MainWindowLink() = default;
};

} // namespace velsaro
