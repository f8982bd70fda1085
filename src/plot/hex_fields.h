#pragma once
// Values from binary frames: each field a number at a byte offset of the
// packet, of a type and byte order, scaled (value * scale + add). A field
// list is written as text, one field per ';':
//   name offset type [scale [add]]
// e.g. "temp 3 i16be 0.1 -40; volts 5 f32le". The types: u8, i8, u16, i16,
// u32, i32, f32, each of the wider ones with "le" or "be" (le when left out).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/plot_store.h"
#include "transmit/codec.h"

namespace comtrax {

enum class FieldType { U8, I8, U16, I16, U32, I32, F32 };

struct HexField {
    std::string name;
    std::size_t offset = 0;
    FieldType type = FieldType::U8;
    bool bigEndian = false;
    double scale = 1;
    double add = 0;
    bool operator==(const HexField&) const = default;
};

// The fields of the text, or nothing with error saying which entry is wrong.
std::optional<std::vector<HexField>> parseHexFields(std::string_view text, std::string& error);
std::string formatHexFields(const std::vector<HexField>& fields);
std::size_t fieldSize(FieldType type);

// A field's value in the packet; nothing when the packet ends before the
// field does or a float is not finite.
std::optional<double> readHexField(const HexField& field, std::string_view packet);

struct FrameValues {
    std::vector<NamedValue> values;
    std::size_t missingFields = 0;  // beyond the packet's end, or no finite number
    bool rejected = false;          // the checksum condition did not hold
};
// Every field of a packet, when the condition holds for it.
FrameValues readHexFrame(const std::vector<HexField>& fields, const ChecksumCondition& condition,
                         std::string_view packet);

}  // namespace comtrax
