// A secondary window that exists at most once: the first reference creates it hidden (its constructor
// is its load step), Show displays it without blocking the others or brings it to the front, and
// unloading it (from the program, its own close box or its own close()) destroys it with everything
// it showed, so that the next reference creates it afresh.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace velsaro {

class SecondaryWindowSlot : public QObject {
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    explicit SecondaryWindowSlot(Factory make, QObject* parent = nullptr);
    ~SecondaryWindowSlot() override;

    // The window, created hidden by the first reference after start or after an unload.
    QWidget& widget();
    bool exists() const { return window_ != nullptr; }
    bool isShown() const { return window_ != nullptr && window_->isVisible(); }
    // Creates the window if needed, shows it modeless and brings it to the front.
    void show();
    // Hides and destroys the window if it exists. Its deletion waits for the event loop, because the
    // request may come from one of its own controls; the slot forgets it at once all the same.
    void unload();

signals:
    void created();
    void unloaded();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void forget();

    Factory make_;
    QPointer<QWidget> window_;
};

// The same, typed for one window class.
template <typename Window>
class SecondaryWindow {
public:
    explicit SecondaryWindow(std::function<std::unique_ptr<Window>()> make)
        : slot_([make = std::move(make)]() -> std::unique_ptr<QWidget> { return make(); })
    {
    }

    Window& operator*() { return static_cast<Window&>(slot_.widget()); }
    Window* operator->() { return &**this; }
    bool exists() const { return slot_.exists(); }
    bool isShown() const { return slot_.isShown(); }
    void show() { slot_.show(); }
    void unload() { slot_.unload(); }
    SecondaryWindowSlot& slot() { return slot_; }

private:
    SecondaryWindowSlot slot_;
};

} // namespace velsaro
