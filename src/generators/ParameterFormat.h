#pragma once

#include <cstdio>
#include <string>

namespace grovewright {

// How a settings row shows its stored integer after the label prefix.
enum class ValueFormat {
    Integer,     // "%i"
    Hundredths,  // "%.02f" of value / 100
    Metres,      // "%.02f m" of value / 100 (lengths are stored in centimetres)
    None,        // a check box row: the prefix alone
};

inline std::string FormatValue(ValueFormat format, int value) {
    char text[50];
    switch (format) {
        case ValueFormat::Integer: std::snprintf(text, sizeof text, "%i", value); break;
        case ValueFormat::Hundredths: std::snprintf(text, sizeof text, "%.02f", value / 100.0); break;
        case ValueFormat::Metres: std::snprintf(text, sizeof text, "%.02f m", value / 100.0); break;
        case ValueFormat::None: return {};
    }
    return text;
}

}  // namespace grovewright
