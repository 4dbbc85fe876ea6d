// Qt's own texts (the file dialog's labels, file types, dates and messages, the message box's button)
// in Spanish, like every text of the program, whatever language the system is set to.
#pragma once

namespace velsaro {

// Loads Qt's Spanish translations into the application, with the few texts they lack, and makes
// Spanish the default locale, in whose language Qt names the types of files. The system's locale,
// whose decimal separator the program's numbers follow, stays as the user set it. False when Qt's
// translations are not installed, and Qt's own texts then stay in English. Call once, after the
// application object exists.
bool installSpanishTranslations();

} // namespace velsaro
