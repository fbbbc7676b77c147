// Compile-time checks of the name tables: every listing shows a name in a
// field of fixed width, and a table searched by value must be in order.
// Used in static_assert next to each table.
#pragma once

#include <cstddef>
#include <string_view>

// A name fits a field of `width` characters without a stray blank: no longer
// than the field and no blank at either end (the field pads it). An empty
// name, a value the table does not name, fits.
constexpr bool NameFits(std::string_view name, std::size_t width) {
    return name.size() <= width && (name.empty() || (name.front() != ' ' && name.back() != ' '));
}

// Every entry of a list of names has a name, and each fits `width`.
template <typename Names>
constexpr bool EveryNameFits(const Names& names, std::size_t width) {
    for (std::string_view name : names) {
        if (name.empty() || !NameFits(name, width)) return false;
    }
    return true;
}

// The rows of a table are in strictly ascending order of the member `key`
// (the value the table is searched or indexed by).
template <typename Rows, typename Row, typename Value>
constexpr bool IsStrictlyAscending(const Rows& rows, Value Row::*key) {
    const Row* previous = nullptr;
    for (const Row& row : rows) {
        if (previous != nullptr && !(previous->*key < row.*key)) return false;
        previous = &row;
    }
    return true;
}
