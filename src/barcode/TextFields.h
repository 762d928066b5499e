#pragma once

#include <string>
#include <string_view>

// Small text helpers the reader needs; kept here so the reader stands on the standard library.
namespace kestrova::barcode::detail {

// `text` without any character that occurs in `set`.
std::string RemoveChars(std::string_view text, std::string_view set);
// Non-overlapping occurrences of `part`, counted from the left; 0 for an empty `part`.
int CountOccurrences(std::string_view text, std::string_view part);
// The n-th field (from 1) between `delimiter`s; empty when there is no such field.
std::string DelimitedField(std::string_view text, char delimiter, int n);

} // namespace kestrova::barcode::detail
