#include "automation/rules_file.h"

#include <charconv>
#include <optional>
#include <set>

#include "settings/key_value_file.h"

namespace comtrax {

namespace {

const char* const FirstLine = "# Comtrax rules beside CfgTerminal";

std::string checksumName(const ChecksumCondition& c)
{
    switch (c.kind) {
    case ChecksumCondition::Kind::None:
        return "none";
    case ChecksumCondition::Kind::ModbusFrame:
        return "modbus";
    case ChecksumCondition::Kind::Tag:
        return "tag" + std::to_string(c.tagIndex);
    }
    return "none";
}

std::optional<ChecksumCondition> checksumFromName(const std::string& v)
{
    if (v == "none")
        return ChecksumCondition{};
    if (v == "modbus")
        return ChecksumCondition{ChecksumCondition::Kind::ModbusFrame, 0};
    if (v.rfind("tag", 0) == 0) {
        const auto n = parseKeyValueInt(v.substr(3));
        if (n && *n >= 0 && *n < ChecksumTagCount)
            return ChecksumCondition{ChecksumCondition::Kind::Tag, static_cast<int>(*n)};
    }
    return std::nullopt;
}

void readInt(int64_t& out, const std::string& v, int64_t low, int64_t high)
{
    if (const auto n = parseKeyValueInt(v); n && *n >= low && *n <= high)
        out = *n;
}

void readInt(int& out, const std::string& v, int low, int high)
{
    int64_t wide = out;
    readInt(wide, v, low, high);
    out = static_cast<int>(wide);
}

void readBool(bool& out, const std::string& v)
{
    if (const auto b = parseKeyValueBool(v))
        out = *b;
}

// "12.rest" -> 12 and "rest"; nothing when it does not start with a number in range.
std::optional<int> leadingNumber(const std::string& key, std::size_t from, int max, std::string& rest)
{
    int n = 0;
    const char* begin = key.data() + from;
    const char* end = key.data() + key.size();
    const auto r = std::from_chars(begin, end, n);
    if (r.ec != std::errc() || r.ptr == begin || n < 1 || n > max)
        return std::nullopt;
    rest = std::string(r.ptr, end);
    return n;
}

// Actions whose kind was read (others, such as a later version's kinds, are dropped).
using KindsRead = std::set<std::pair<std::size_t, std::size_t>>;

bool readAction(RuleAction& a, const std::string& field, const std::string& v, bool& kindRead)
{
    if (field.empty()) {
        kindRead = actionKindFromName(v, a.kind);
        return kindRead;
    }
    if (field == ".text")
        a.text = v;
    else if (field == ".hex")
        readBool(a.hex, v);
    else if (field == ".suffix")
        a.suffix = v;
    else if (field == ".macro")
        readInt(a.macro, v, 1, 1000);
    else
        return false;
    return true;
}

bool readRule(Rule& r, const std::string& field, const std::string& v, std::size_t ruleIndex,
              KindsRead& kinds)
{
    if (field == ".name")
        r.name = v;
    else if (field == ".enabled")
        readBool(r.enabled, v);
    else if (field == ".kind")
        r.pattern.kind = patternKindFromName(v).value_or(r.pattern.kind);
    else if (field == ".pattern")
        r.pattern.text = v;
    else if (field == ".across")
        readBool(r.acrossPackets, v);
    else if (field == ".checksum")
        r.checksum = checksumFromName(v).value_or(r.checksum);
    else if (field == ".times")
        readInt(r.times, v, 0, 1000000);
    else if (field == ".delay")
        readInt(r.delayMs, v, 0, 3600000);
    else if (field == ".cooldown")
        readInt(r.cooldownMs, v, 0, 3600000);
    else if (field == ".goOn")
        readBool(r.goOn, v);
    else if (field.rfind(".action.", 0) == 0) {
        std::string rest;
        const auto n = leadingNumber(field, 8, RuleSet::MaxActions, rest);
        if (!n)
            return false;
        if (r.actions.size() < static_cast<std::size_t>(*n))
            r.actions.resize(static_cast<std::size_t>(*n));
        const auto k = static_cast<std::size_t>(*n - 1);
        bool kindRead = false;
        const bool known = readAction(r.actions[k], rest, v, kindRead);
        if (kindRead)
            kinds.emplace(ruleIndex, k);
        return known;
    } else
        return false;
    return true;
}

bool readKnown(RuleSet& s, const std::string& key, const std::string& v, KindsRead& kinds)
{
    if (key == "limit")
        readBool(s.limit.on, v);
    else if (key == "limit.perSecond")
        readInt(s.limit.actionsPerSecond, v, 1, 100000);
    else if (key == "window.bytes") {
        int64_t n = static_cast<int64_t>(s.windowBytes);
        readInt(n, v, 16, 1024 * 1024);
        s.windowBytes = static_cast<std::size_t>(n);
    } else if (key == "answer.timeoutMs")
        readInt(s.answer.timeoutMs, v, 0, AnswerTimeoutSettings::MaxTimeoutMs);
    else if (key == "answer.retries")
        readInt(s.answer.retries, v, 0, AnswerTimeoutSettings::MaxRetries);
    else if (key == "answer.giveUp")
        s.answer.stopOnGiveUp = v == "stop";
    else if (key == "answer.patternOn")
        readBool(s.answer.patternOn, v);
    else if (key == "answer.kind")
        s.answer.pattern.kind = patternKindFromName(v).value_or(s.answer.pattern.kind);
    else if (key == "answer.pattern")
        s.answer.pattern.text = v;
    else if (key == "answer.checksum")
        s.answer.checksum = checksumFromName(v).value_or(s.answer.checksum);
    else if (key.rfind("rule.", 0) == 0) {
        std::string rest;
        const auto n = leadingNumber(key, 5, RuleSet::MaxRules, rest);
        if (!n)
            return false;
        if (s.rules.size() < static_cast<std::size_t>(*n))
            s.rules.resize(static_cast<std::size_t>(*n));
        const auto i = static_cast<std::size_t>(*n - 1);
        return readRule(s.rules[i], rest, v, i, kinds);
    } else
        return false;
    return true;
}

std::vector<std::pair<std::string, std::string>> knownValues(const RuleSet& s)
{
    std::vector<std::pair<std::string, std::string>> out = {
        {"limit", keyValueBool(s.limit.on)},
        {"limit.perSecond", std::to_string(s.limit.actionsPerSecond)},
        {"window.bytes", std::to_string(s.windowBytes)},
        {"answer.timeoutMs", std::to_string(s.answer.timeoutMs)},
        {"answer.retries", std::to_string(s.answer.retries)},
        {"answer.giveUp", s.answer.stopOnGiveUp ? "stop" : "next"},
        {"answer.patternOn", keyValueBool(s.answer.patternOn)},
        {"answer.kind", patternKindName(s.answer.pattern.kind)},
        {"answer.pattern", s.answer.pattern.text},
        {"answer.checksum", checksumName(s.answer.checksum)},
    };
    for (std::size_t i = 0; i < s.rules.size() && i < static_cast<std::size_t>(RuleSet::MaxRules); ++i) {
        const Rule& r = s.rules[i];
        const std::string p = "rule." + std::to_string(i + 1);
        out.insert(out.end(),
                   {
                       {p + ".name", r.name},
                       {p + ".enabled", keyValueBool(r.enabled)},
                       {p + ".kind", patternKindName(r.pattern.kind)},
                       {p + ".pattern", r.pattern.text},
                       {p + ".across", keyValueBool(r.acrossPackets)},
                       {p + ".checksum", checksumName(r.checksum)},
                       {p + ".times", std::to_string(r.times)},
                       {p + ".delay", std::to_string(r.delayMs)},
                       {p + ".cooldown", std::to_string(r.cooldownMs)},
                       {p + ".goOn", keyValueBool(r.goOn)},
                   });
        for (std::size_t k = 0; k < r.actions.size() && k < static_cast<std::size_t>(RuleSet::MaxActions);
             ++k) {
            const RuleAction& a = r.actions[k];
            const std::string q = p + ".action." + std::to_string(k + 1);
            out.emplace_back(q, actionKindName(a.kind));
            if (!a.text.empty())
                out.emplace_back(q + ".text", a.text);
            if (a.kind == RuleAction::Kind::Send) {
                out.emplace_back(q + ".hex", keyValueBool(a.hex));
                out.emplace_back(q + ".suffix", a.suffix);
            }
            if (a.kind == RuleAction::Kind::SendMacro)
                out.emplace_back(q + ".macro", std::to_string(a.macro));
        }
    }
    return out;
}

}  // namespace

std::string formatRuleSet(const RuleSet& set)
{
    std::vector<KeptLine> kept;
    for (const auto& [text, before] : set.keptLines)
        kept.push_back({text, before});
    return formatKeyValues(FirstLine, knownValues(set), kept);
}

RuleSet parseRuleSet(const std::string& text)
{
    RuleSet set;
    KindsRead kinds;
    const auto kept =
        parseKeyValues(text, FirstLine, [&set, &kinds](const std::string& key, const std::string& value) {
            return readKnown(set, key, value, kinds);
        });
    for (std::size_t i = 0; i < set.rules.size(); ++i) {
        auto& actions = set.rules[i].actions;
        std::vector<RuleAction> valid;
        for (std::size_t k = 0; k < actions.size(); ++k)
            if (kinds.count({i, k}))
                valid.push_back(actions[k]);
        actions = std::move(valid);
    }
    for (const KeptLine& line : kept)
        set.keptLines.emplace_back(line.text, line.beforeKey);
    return set;
}

RuleSetLoad loadRuleSetFile(const std::string& path)
{
    RuleSetLoad out;
    KeyValueLoad load = loadKeyValueFile(path, RuleSet::MaxFileBytes);
    out.io = load.io;
    out.found = load.found;
    if (load.io && load.found)
        out.set = parseRuleSet(load.text);
    return out;
}

FileResult saveRuleSetFile(const std::string& path, const RuleSet& set)
{
    return saveKeyValueFile(path, formatRuleSet(set));
}

}  // namespace comtrax
