// Typed values as bytes, for the wire between the program and its child
// processes (one program on one machine: numbers keep the machine's own
// layout). Pure: no I/O.
//
// A value is a number, a bool, a text, an optional or a list of values, an
// enumeration given with its last value (checked within range when read),
// or a struct whose fields a `visitFields(s, f)` beside it lists: it calls
// `f(field)` for each field, and `f(field, LastValue)` for an enumeration.
// Encoding and decoding both walk that one list.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

struct WireWriter {
    std::string bytes;

    template <typename T>
    void operator()(const T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            bytes += static_cast<char>(value ? 1 : 0);
        } else if constexpr (std::is_arithmetic_v<T>) {
            bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
        } else if constexpr (std::is_same_v<T, std::string>) {
            (*this)(static_cast<uint32_t>(value.size()));
            bytes += value;
        } else {
            visitFields(value, *this);
        }
    }
    template <typename T>
    void operator()(const std::optional<T>& value) {
        (*this)(value.has_value());
        if (value) (*this)(*value);
    }
    template <typename T>
    void operator()(const std::vector<T>& values) {
        (*this)(static_cast<uint32_t>(values.size()));
        for (const T& value : values) (*this)(value);
    }
    template <typename E>
    void operator()(const E& value, E /*last*/) {
        (*this)(static_cast<int32_t>(value));
    }
};

struct WireReader {
    const std::string& bytes;
    size_t at = 0;
    bool ok = true;

    template <typename T>
    void operator()(T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            char byte = 0;
            take(&byte, 1);
            ok = ok && (byte == 0 || byte == 1);
            value = byte == 1;
        } else if constexpr (std::is_arithmetic_v<T>) {
            take(&value, sizeof value);
        } else if constexpr (std::is_same_v<T, std::string>) {
            uint32_t size = 0;
            (*this)(size);
            ok = ok && bytes.size() - at >= size;
            value = ok ? bytes.substr(at, size) : std::string();
            if (ok) at += size;
        } else {
            visitFields(value, *this);
        }
    }
    template <typename T>
    void operator()(std::optional<T>& value) {
        bool present = false;
        (*this)(present);
        value.reset();
        if (!ok || !present) return;
        T inner{};
        (*this)(inner);
        value = std::move(inner);
    }
    template <typename T>
    void operator()(std::vector<T>& values) {
        uint32_t size = 0;
        (*this)(size);
        values.clear();
        // Each value takes at least one byte: a count beyond the bytes left is a broken list.
        ok = ok && size <= bytes.size() - at;
        for (uint32_t i = 0; ok && i < size; ++i) {
            T value{};
            (*this)(value);
            values.push_back(std::move(value));
        }
    }
    template <typename E>
    void operator()(E& value, E last) {
        int32_t number = -1;
        (*this)(number);
        ok = ok && number >= 0 && number <= static_cast<int32_t>(last);
        value = ok ? static_cast<E>(number) : E{};
    }

private:
    void take(void* data, size_t size) {
        ok = ok && bytes.size() - at >= size;
        if (!ok) return;
        std::memcpy(data, bytes.data() + at, size);
        at += size;
    }
};

template <typename T>
std::string encodeValue(const T& value) {
    WireWriter writer;
    writer(value);
    return writer.bytes;
}

// The value of `encodeValue`; nothing when the bytes are not one whole value
// (cut short, with bytes left over, or an enumeration out of its range).
template <typename T>
std::optional<T> decodeValue(const std::string& bytes) {
    T value{};
    WireReader reader{bytes};
    reader(value);
    if (!reader.ok || reader.at != bytes.size()) return std::nullopt;
    return value;
}
