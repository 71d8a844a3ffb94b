#pragma once
// Error numbers of the text facility and the exact message of each.
#include <cstdint>

namespace textio::detail {

enum ErrorNumber : int {
  kOk = 0,
  kReadOnlyFile = 204,
  kConnectedToAnotherUnit = 207,
  kOldFileMissing = 209,
  kAllocationFailed = 210,
  kInvalidFileName = 211,
  kReadPastEndOfFile = 217,
  kPastEndOfRecord = 219,
  kAfterLastInternalRecord = 220,
  kFormatSyntax = 221,
  kUnbalancedParentheses = 222,
  kUnknownDescriptorLetter = 226,
  kDataConversion = 231,
  kDescriptorItemMismatch = 235,
  kInfiniteFormatScan = 246,
  kBadRealDescriptor = 249,
  kNumberMissing = 250,
  kIllegalFormatCharacter = 251,
  kAfterEndOfFile = 252,
  kIllegalRepeatCount = 254,
};

// The outcome of one step of a statement. `number` is one of ErrorNumber, or,
// when `from_system` is set, the operating system's error number.
struct Status {
  int number = kOk;
  bool from_system = false;
  bool ok() const { return number == kOk; }
  bool end_of_file() const { return !from_system && number == kReadPastEndOfFile; }
};

inline Status failure(int number) { return Status{number, false}; }
inline Status system_failure(int error_number) { return Status{error_number, true}; }

// The message of an ErrorNumber; an empty text for numbers without one.
const char* error_message(int number);

}  // namespace textio::detail
