#include "controls/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace velsaro {

namespace {

// Texts Qt shows that its Spanish catalogue leaves in English: the type of a folder or a drive in the
// file dialog's list.
struct MissingText {
    const char* context;
    const char* source;
    const char* spanish;
};

constexpr MissingText missingTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "Carpeta"},
    {"QAbstractFileIconProvider", "Drive", "Unidad"},
};

class MissingSpanishTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char*, int) const override
    {
        for (const MissingText& text : missingTexts)
            if (context != nullptr && source != nullptr && std::strcmp(context, text.context) == 0 &&
                std::strcmp(source, text.source) == 0)
                return QString::fromUtf8(text.spanish);
        return {};
    }

    bool isEmpty() const override { return false; }
};

} // namespace

bool installSpanishTranslations()
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    // By file name rather than by the system's locale: the program speaks Spanish everywhere.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded =
        translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    // Installed last, so asked first; it answers only for the texts the catalogue lacks.
    QCoreApplication::installTranslator(new MissingSpanishTexts(QCoreApplication::instance()));
    return loaded;
}

} // namespace velsaro
