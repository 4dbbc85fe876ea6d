// Qt's own texts (the file dialog's labels and messages, the message box's button) in Spanish, like
// every text of the program, whatever language the system is set to.
#pragma once

namespace velsaro {

// Loads Qt's Spanish translations into the application; false when they are not installed, and Qt's
// texts then stay in English. Call once, after the application object exists.
bool installSpanishTranslations();

} // namespace velsaro
