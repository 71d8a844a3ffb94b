#pragma once
// The save file (unit 49): answers recorded as keyword records so that a later
// run can load them into the keyword buffer.
//
// Line format (each line begins with one blank):
//   answer of length < 1:   " KEY="
//   length 1 to 49:         " KEY=answer"
//   length 50 and more:     " KEY=" then one line " word" per blank-separated word.
#include <array>
#include <cstdint>
#include <string_view>

namespace input {

inline constexpr std::size_t kSaveNameSize = 132;
// Line buffer of restr. A line of the save file longer than this (after its
// leading blank) is cut to it: no record that long fits the keyword buffer.
inline constexpr std::size_t kSaveLineSize = 4096;

struct SaveFileState {
  std::array<char, kSaveNameSize> name{};  // the file name, blank-padded
  std::array<char, kSaveLineSize> line{};  // restr's line buffer
};
SaveFileState& save_file_state();

// Connects unit 49 to the named file (status "UNKNOWN"); a failure ends the run.
void save(std::string_view name);
// Writes the key and bkey() positions 1..n as the lines above.
void savep(std::string_view key, std::int32_t n);
// Closes unit 49: "DELETE" (exactly, trailing blanks ignored) removes the
// file, anything else keeps it.
void savec(std::string_view disposition);
// Loads every line of the named save file into the keyword buffer via addkey.
// A missing file: "CANT FIND THE SAVE FILE" (level -2); any other failure to
// open it: "OPEN ERROR FOR SAVE FILE" (level -3).
void restr(std::string_view name);

}  // namespace input
