// main() of the widget tests: headless by default, one application object for every test of the binary, with the font
// substitutes and the translations the program installs, so that texts are measured as the program shows them.
#include "controls/fonts.h"
#include "controls/translations.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Headless unless a platform is asked for, so that listing the tests at build time needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    velsaro::installFontSubstitutes();
    velsaro::installSpanishTranslations();
    return RUN_ALL_TESTS();
}
