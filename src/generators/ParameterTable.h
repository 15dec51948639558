#pragma once

#include <array>
#include <cstddef>
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

// The inclusive range a parameter accepts from its slider and from a file.
struct ParameterRange {
    int min;
    int max;
    constexpr bool Contains(long value) const { return value >= min && value <= max; }
};

// What an edit makes stale, as bits: the edit rebuilds exactly these.
enum Stale : unsigned {
    kStaleNothing = 0,
    kStaleTreeMesh = 1,                                       // the tree's mesh (Division)
    kStaleLeafMesh = 2,                                       // the leaves' mesh
    kStaleView = kStaleTreeMesh | kStaleLeafMesh,             // both meshes: the tree's tilt and turn
    kStaleLeaves = 4 | kStaleLeafMesh,                        // the leaves on the same skeleton
    kStaleSkeleton = 8 | kStaleLeaves | kStaleTreeMesh,       // the whole tree
};

// One row of a record's parameter table. A check box is a parameter of format
// None and range 0 .. 1.
struct Parameter {
    const char* name;    // the project file's element
    const char* label;   // the row's label prefix (translated by the window)
    ValueFormat format;  // how the row shows the value after the prefix
    ParameterRange range;
    int initial;
    unsigned stale;      // Stale bits of an edit
    const char* help;    // what the value does to the tree, its unit and range (the row's tooltip)

    bool IsFlag() const { return format == ValueFormat::None; }
};

inline constexpr ParameterRange kFlagRange{0, 1};

// Stores value into field when range holds it; otherwise leaves field alone.
// Returns whether the value was taken.
inline bool SetInRange(int& field, long value, ParameterRange range) {
    if (!range.Contains(value)) return false;
    field = static_cast<int>(value);
    return true;
}

// A record's values in the order of its table, each kept inside its range.
template <std::size_t N>
class ParameterValues {
public:
    explicit ParameterValues(const Parameter (&table)[N]) : table_(table) { Reset(); }
    ParameterValues(const ParameterValues&) = default;
    ParameterValues& operator=(const ParameterValues& o) {
        values_ = o.values_;
        return *this;
    }

    void Reset() {
        for (std::size_t i = 0; i < N; ++i) values_[i] = table_[i].initial;
    }
    int Get(int i) const { return values_[i]; }
    // Takes the value only inside the parameter's range; says whether it did.
    bool Set(int i, long value) { return SetInRange(values_[i], value, table_[i].range); }
    bool operator==(const ParameterValues& o) const { return values_ == o.values_; }
    bool operator!=(const ParameterValues& o) const { return values_ != o.values_; }

private:
    const Parameter (&table_)[N];
    std::array<int, N> values_{};
};

}  // namespace grovewright
