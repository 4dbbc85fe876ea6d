// main() of the control tests: one application object for every test of the binary. The tests need no
// screen, so without a platform chosen they run offscreen; test discovery at build time runs this
// binary too, where no display may exist.
#include "controls/translations.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    // Qt's own texts in Spanish, as the program shows them.
    velsaro::installSpanishTranslations();
    return RUN_ALL_TESTS();
}
