#pragma once
// The interface's language. Russian is the program's own: its texts are the
// sources every translation is made from, so a Russian user sees exactly the
// texts as written. Other languages come from Qt's translation files, built
// into the program.
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

#include "presentation/help_texts.h"

namespace comtrax {

enum class Language { Russian, English };

// "ru" / "en" (as given to --lang); anything else is no language.
std::optional<Language> parseLanguage(const QString& name);
// The language for the system's list of interface languages (most wanted
// first, e.g. QLocale::system().uiLanguages()): the first one we have a
// translation for, Russian when there is none.
Language languageFor(const QStringList& uiLanguages);

// Makes language the interface's language: installs its translation into the
// application (called again once the application exists, when it is called
// before) and routes the core's texts through it. False when the built-in
// translation could not be loaded (the interface then stays Russian).
bool installLanguage(Language language);
Language currentLanguage();

// A text of the program in the interface's language.
QString uiText(const char* source);

// A help text as the help area's lines, in the interface's language. A
// translation is made of the whole text (its lines joined by line breaks), so
// each language breaks its lines where its words fall.
std::array<QString, HelpLineCount> helpLines(const HelpText& text);

}  // namespace comtrax
