#include "ui/kit/translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include "common/texts.h"

namespace comtrax {

namespace {

// One context for all texts: a text means the same wherever it is shown.
constexpr const char* Context = "Comtrax";

Language current = Language::Russian;

QTranslator& translator()
{
    static QTranslator t;
    return t;
}

}  // namespace

std::optional<Language> parseLanguage(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("ru"))
        return Language::Russian;
    if (n == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

Language languageFor(const QStringList& uiLanguages)
{
    for (const QString& tag : uiLanguages) {
        const QString lang = tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (lang == QLatin1String("ru"))
            return Language::Russian;
        if (lang == QLatin1String("en"))
            return Language::English;
    }
    return Language::Russian;
}

bool installLanguage(Language language)
{
    const bool application = QCoreApplication::instance() != nullptr;
    if (application)
        QCoreApplication::removeTranslator(&translator());
    setTextTranslator(nullptr);
    current = Language::Russian;
    if (language == Language::Russian)
        return true;
    if (!translator().load(QStringLiteral(":/i18n/comtrax_en.qm")))
        return false;
    if (application)
        QCoreApplication::installTranslator(&translator());
    setTextTranslator([](const char* source) { return uiText(source).toStdString(); });
    current = language;
    return true;
}

Language currentLanguage()
{
    return current;
}

QString uiText(const char* source)
{
    // The command line is read before the application exists: its texts ask
    // the translator directly.
    if (!QCoreApplication::instance() && current != Language::Russian) {
        const QString text = translator().translate(Context, source);
        return text.isEmpty() ? QString::fromUtf8(source) : text;
    }
    return QCoreApplication::translate(Context, source);
}

std::array<QString, HelpLineCount> helpLines(const HelpText& text)
{
    std::array<QString, HelpLineCount> lines;
    std::string joined;
    for (std::size_t i = 0; i < HelpLineCount; ++i) {
        if (i)
            joined += '\n';
        joined += text[i];
    }
    const QStringList translated = uiText(joined.c_str()).split(QLatin1Char('\n'));
    for (std::size_t i = 0; i < HelpLineCount && i < std::size_t(translated.size()); ++i)
        lines[i] = translated[qsizetype(i)];
    return lines;
}

}  // namespace comtrax
