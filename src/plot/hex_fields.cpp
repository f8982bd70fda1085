#include "plot/hex_fields.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <sstream>

#include "plot/text_lines.h"

namespace comtrax {

namespace {

struct TypeName {
    const char* name;
    FieldType type;
    bool bigEndian;
};
constexpr TypeName TypeNames[] = {
    {"u8", FieldType::U8, false},     {"i8", FieldType::I8, false},    {"u16", FieldType::U16, false},
    {"u16le", FieldType::U16, false}, {"u16be", FieldType::U16, true}, {"i16", FieldType::I16, false},
    {"i16le", FieldType::I16, false}, {"i16be", FieldType::I16, true}, {"u32", FieldType::U32, false},
    {"u32le", FieldType::U32, false}, {"u32be", FieldType::U32, true}, {"i32", FieldType::I32, false},
    {"i32le", FieldType::I32, false}, {"i32be", FieldType::I32, true}, {"f32", FieldType::F32, false},
    {"f32le", FieldType::F32, false}, {"f32be", FieldType::F32, true},
};

const char* typeText(FieldType type, bool bigEndian)
{
    for (const TypeName& t : TypeNames) {
        const bool explicitOrder = std::strlen(t.name) > 3;
        if (t.type == type && (fieldSize(type) == 1 || (explicitOrder && t.bigEndian == bigEndian)))
            return t.name;
    }
    return "u8";
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

}  // namespace

std::size_t fieldSize(FieldType type)
{
    switch (type) {
    case FieldType::U8:
    case FieldType::I8:
        return 1;
    case FieldType::U16:
    case FieldType::I16:
        return 2;
    case FieldType::U32:
    case FieldType::I32:
    case FieldType::F32:
        return 4;
    }
    return 1;
}

std::optional<std::vector<HexField>> parseHexFields(std::string_view text, std::string& error)
{
    std::vector<HexField> fields;
    std::size_t start = 0;
    int entry = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::vector<std::string_view> w = words(text.substr(start, end - start));
        start = end + 1;
        if (w.empty())
            continue;
        ++entry;
        auto fail = [&](const std::string& why) {
            error = std::to_string(entry) + ": " + why;
            return std::nullopt;
        };
        if (w.size() < 3 || w.size() > 5)
            return fail("name offset type [scale [add]]");
        if (fields.size() >= PlotStore::MaxChannels)
            return fail("too many fields");
        HexField f;
        f.name = std::string(w[0].substr(0, PlotStore::MaxNameBytes));
        const std::optional<double> offset = parsePlotNumber(w[1]);
        if (!offset || *offset < 0 || *offset > 65535 || *offset != std::floor(*offset))
            return fail("offset");
        f.offset = static_cast<std::size_t>(*offset);
        bool known = false;
        for (const TypeName& t : TypeNames) {
            if (w[2] == t.name) {
                f.type = t.type;
                f.bigEndian = t.bigEndian;
                known = true;
            }
        }
        if (!known)
            return fail("type");
        if (w.size() > 3) {
            const std::optional<double> scale = parsePlotNumber(w[3]);
            if (!scale)
                return fail("scale");
            f.scale = *scale;
        }
        if (w.size() > 4) {
            const std::optional<double> add = parsePlotNumber(w[4]);
            if (!add)
                return fail("add");
            f.add = *add;
        }
        fields.push_back(std::move(f));
    }
    return fields;
}

std::string formatHexFields(const std::vector<HexField>& fields)
{
    std::ostringstream out;
    out.precision(17);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const HexField& f = fields[i];
        out << (i ? "; " : "") << f.name << ' ' << f.offset << ' ' << typeText(f.type, f.bigEndian);
        if (f.scale != 1 || f.add != 0)
            out << ' ' << f.scale;
        if (f.add != 0)
            out << ' ' << f.add;
    }
    return out.str();
}

std::optional<double> readHexField(const HexField& field, std::string_view packet)
{
    const std::size_t size = fieldSize(field.type);
    if (field.offset >= packet.size() || packet.size() - field.offset < size)
        return std::nullopt;
    uint32_t raw = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<uint8_t>(packet[field.offset + i]);
        const std::size_t shift = field.bigEndian ? (size - 1 - i) * 8 : i * 8;
        raw |= static_cast<uint32_t>(byte) << shift;
    }
    double value = 0;
    switch (field.type) {
    case FieldType::U8:
    case FieldType::U16:
    case FieldType::U32:
        value = raw;
        break;
    case FieldType::I8:
        value = static_cast<int8_t>(raw);
        break;
    case FieldType::I16:
        value = static_cast<int16_t>(raw);
        break;
    case FieldType::I32:
        value = static_cast<int32_t>(raw);
        break;
    case FieldType::F32:
        value = std::bit_cast<float>(raw);
        break;
    }
    value = value * field.scale + field.add;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

FrameValues readHexFrame(const std::vector<HexField>& fields, const ChecksumCondition& condition,
                         std::string_view packet)
{
    FrameValues out;
    if (condition.kind != ChecksumCondition::Kind::None && !checksumConditionHolds(condition, packet)) {
        out.rejected = true;
        return out;
    }
    for (const HexField& f : fields) {
        if (const std::optional<double> v = readHexField(f, packet))
            out.values.push_back({f.name, *v});
        else
            ++out.missingFields;
    }
    return out;
}

}  // namespace comtrax
