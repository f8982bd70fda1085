#pragma once
// The program's own texts. They are written in Russian, the program's own
// language, and shown as written unless the window installs a translator for
// the user's language. Texts that go into files or onto the wire (log lines,
// markers, stored names) never pass through here: they stay the same in
// every language.
#include <cerrno>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace comtrax {

// source: UTF-8; returns the text in the interface's language, UTF-8.
using TextTranslator = std::function<std::string(const char* source)>;
void setTextTranslator(TextTranslator translator);

std::string trText(const char* source);
// trText, then %1, %2 ... replaced by args in one pass (an argument that
// itself holds "%2" is left alone).
std::string trFormat(const char* source, std::initializer_list<std::string_view> args);

// Why a system call failed, in the interface's language: the reasons the user
// meets with files and ports have texts of their own; the rest falls back to
// the system's words.
std::string systemReason(int err);

}  // namespace comtrax
