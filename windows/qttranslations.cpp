#include "windows/qttranslations.h"

#include "resources/pictures.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Texts of the file dialog that Qt's Russian catalogue of this Qt version
// lacks (they moved to a new context): without them every folder in the
// list reads "Folder".
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        struct Text {
            const char *source;
            const char16_t *russian;
        };
        static const Text texts[] = {{"Folder", u"Папка"},          {"File Folder", u"Папка"}, {"Drive", u"Диск"},
                                     {"Alias", u"Псевдоним"},      {"Shortcut", u"Ярлык"},    {"Unknown", u"Неизвестный"}};
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        for (const Text &text : texts) {
            if (qstrcmp(sourceText, text.source) == 0)
                return QString::fromUtf16(text.russian);
        }
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool LoadQtRussian(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    // The translator installed last is asked first.
    QCoreApplication::installTranslator(new MissingQtTexts(&app));
    return QCoreApplication::installTranslator(translator);
}

void PrepareWindows()
{
    static bool prepared = false;
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (prepared || !app)
        return;
    prepared = true;
    LoadQtRussian(*app);
    QApplication::setWindowIcon(Pictures::programIcon());
}
