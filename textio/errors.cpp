#include "textio/errors.h"

namespace textio::detail {

const char* error_message(int number) {
  switch (number) {
    case kReadOnlyFile: return "illegal use of a readonly file";
    case kConnectedToAnotherUnit: return "file is already connected to another unit";
    case kOldFileMissing: return "'OLD' specified for file which does not exist";
    case kAllocationFailed: return "dynamic memory allocation failed";
    case kInvalidFileName: return "invalid file name";
    case kReadPastEndOfFile: return "attempt to read past end of file";
    case kPastEndOfRecord: return "attempt to read/write past end of record";
    case kAfterLastInternalRecord: return "write after last internal record";
    case kFormatSyntax: return "syntax error in format string";
    case kUnbalancedParentheses: return "unbalanced parentheses in format string";
    case kUnknownDescriptorLetter: return "unrecognized edit descriptor letter in format";
    case kDataConversion: return "error on data conversion";
    case kDescriptorItemMismatch: return "edit descriptor does not match item type";
    case kInfiniteFormatScan: return "infinite format scan for edit descriptor";
    case kBadRealDescriptor: return "error in format - illegal E, F, G or D descriptor";
    case kNumberMissing: return "error in format - number missing after '.', '-', or '+'";
    case kIllegalFormatCharacter: return "illegal character in format string";
    case kAfterEndOfFile: return "operation attempted after end of file";
    case kIllegalRepeatCount: return "illegal repeat count in format";
    default: return "";
  }
}

}  // namespace textio::detail
