// How the windows sit on the desktop: fixed-size windows without a maximise button, some centred.
#pragma once

#include <Qt>

class QWidget;

namespace velsaro {

// Caption, system menu, minimise and close buttons; no maximise button.
Qt::WindowFlags fixedWindowFlags();
// Caption and close button only.
Qt::WindowFlags closeOnlyWindowFlags();

// Moves window so that its frame is centred on the screen it is on, or the primary screen.
void centreOnScreen(QWidget& window);

} // namespace velsaro
