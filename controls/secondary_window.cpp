#include "controls/secondary_window.h"

#include <QEvent>

namespace velsaro {

SecondaryWindowSlot::SecondaryWindowSlot(Factory make, QObject* parent)
    : QObject(parent), make_(std::move(make))
{
}

SecondaryWindowSlot::~SecondaryWindowSlot()
{
    // The program is ending: nothing else can reach the window any more.
    delete window_.data();
}

QWidget& SecondaryWindowSlot::widget()
{
    if (!window_) {
        window_ = make_().release();
        window_->installEventFilter(this);
        emit created();
    }
    return *window_;
}

void SecondaryWindowSlot::show()
{
    QWidget& window = widget();
    window.show();
    window.raise();
    window.activateWindow();
}

void SecondaryWindowSlot::unload()
{
    if (!window_)
        return;
    window_->hide();
    forget();
}

void SecondaryWindowSlot::forget()
{
    QWidget* window = window_.data();
    window_ = nullptr;
    window->removeEventFilter(this);
    window->deleteLater();
    emit unloaded();
}

bool SecondaryWindowSlot::eventFilter(QObject* watched, QEvent* event)
{
    // A window closed by its close box or by its own button unloads like one closed by the program.
    // The close itself still reaches the window, which hides.
    if (watched == window_ && event->type() == QEvent::Close)
        forget();
    return false;
}

} // namespace velsaro
