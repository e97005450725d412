#pragma once

// The longest value the server stores (or searches for) per kind of argument: its
// procedures refuse a longer one, and the windows limit their boxes to the same length
// so that a user cannot type what would be refused.
namespace ColumnLengths {

inline constexpr int Code = 30; // employee numbers, meal and meal type codes, staff IDs
inline constexpr int Description = 200;
inline constexpr int Cost = 20;
inline constexpr int MealMode = 50;
inline constexpr int Remarks = 500;
inline constexpr int SearchText = 200;
inline constexpr int FileName = 260; // an import's file, without its folder

} // namespace ColumnLengths
