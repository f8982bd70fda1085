#pragma once
// The log line of what the terminal did by itself: " [ hh:mm:ss:zzz * ] name:
// what". The "*" marker cannot be mistaken for a received (" < ] ") or a sent
// (" > ] ") line, and like them it is the same in every language.
#include <string>
#include <string_view>

#include "automation/rule.h"
#include "common/clock.h"

namespace comtrax {

// name and what are Windows-1251, as every log line.
std::string noteLine(const LocalDateTime& t, const std::string& name, const std::string& what);
// What an action did, in the log's words (Windows-1251, the same in every language).
std::string describeAction(const RuleAction& action);

// The program's UTF-8 texts into the log's Windows-1251 and back (Cyrillic,
// Latin and the few signs the texts use; anything else becomes '?').
std::string utf8ToCp1251(std::string_view text);
std::string cp1251ToUtf8(std::string_view text);

}  // namespace comtrax
