#pragma once
// The boundary between the core's bytes and the widgets' text. Everything the
// terminal stores or sends is Windows-1251, one byte per character; widgets
// hold QString. Conversion happens here and nowhere else.
#include <QString>

#include <string>

namespace comtrax {

// Every byte 0..255 has a character, so received data always shows, and
// toCp1251(fromCp1251(b)) == b for every byte string b.
QString fromCp1251(const std::string& bytes);

// One byte per character. A character the code page cannot hold (Chinese,
// an emoji, a lone surrogate) becomes one '?'.
std::string toCp1251(const QString& text);

// The program's own texts (messages, labels, help) are UTF-8 in the core.
QString fromUtf8(const std::string& text);

}  // namespace comtrax
