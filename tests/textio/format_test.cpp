// Parsing of format texts: the descriptor lists and the syntax errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "textio/format.h"
#include "textio/io.h"

namespace {

using Code = textio::Descriptor::Code;

// A compact picture of a parsed list, one token per descriptor.
std::string picture(const textio::Format& f) {
  std::string out;
  for (const auto& d : f.descriptors()) {
    if (!out.empty()) out += ' ';
    if (d.repeat != 1) out += std::to_string(d.repeat) + '*';
    switch (d.code) {
      case Code::Literal: out += "'" + std::string(f.literal(d)) + "'"; break;
      case Code::Skip: out += std::to_string(d.width) + "X"; break;
      case Code::Slash: out += "/"; break;
      case Code::Dollar: out += "$"; break;
      case Code::Q: out += "Q"; break;
      case Code::A: out += d.has_width ? "A" + std::to_string(d.width) : "A"; break;
      case Code::I:
        out += "I" + std::to_string(d.width) + "." + std::to_string(d.digits);
        break;
      case Code::L: out += "L" + std::to_string(d.width); break;
      case Code::F: out += "F"; [[fallthrough]];
      case Code::E:
        if (d.code == Code::E) out += "E";
        [[fallthrough]];
      case Code::G:
        if (d.code == Code::G) out += "G";
        [[fallthrough]];
      case Code::D:
        if (d.code == Code::D) out += "D";
        out += std::to_string(d.width) + "." + std::to_string(d.digits);
        break;
    }
  }
  return out;
}

TEST(FormatParse, Lists) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"1X,G13.6,2X", "1X G13.6 2X"},
      {"' DO-LOOP:  $=',G11.4,'   &=',G11.4", "' DO-LOOP:  $=' G11.4 '   &=' G11.4"},
      {"1X,Q,A", "1X Q A"},
      {"Q,80A1", "Q 80*A1"},
      {"' ERROR:  ',A", "' ERROR:  ' A"},
      {"1A1", "A1"},
      {"'A',I1,','", "'A' I1.1 ','"},
      {"(2X,F2.0,1X,A3,1X,F5.1)", "2X F2.0 1X A3 1X F5.1"},
      {"(2X,F2.0,)", "2X F2.0"},                     // a comma before ')' is harmless
      {"(F2.0)  never read: #(((", "F2.0"},         // nothing after the closing ')' is read
      {"1X,A,$", "1X A $"},
      {"'x'/'y'", "'x' / 'y'"},
      {"I5.3,L2,E12.5,D10.3", "I5.3 L2 E12.5 D10.3"},
      {"'it''s'", "'it's'"},
      {"\"say \"\"hi\"\"\"", "'say \"hi\"'"},
      {"3Habc,I2", "'abc' I2.1"},
      {"2(I2,'-')", "I2.1 '-' I2.1 '-'"},
      {"f7.1, g13.6 ,a", "F7.1 G13.6 A"},
      {"1 0X", "10X"},
      {"2/", "2*/"},
      {"()", ""},
  };
  for (const auto& r : rows) {
    const textio::Format f(r.text);
    EXPECT_EQ(f.error_number(), 0) << r.text;
    EXPECT_EQ(picture(f), r.expected) << r.text;
  }
}

TEST(FormatParse, SyntaxErrors) {
  struct Row {
    const char* text;
    int error;
  };
  const Row rows[] = {
      {"(F5)", 249},    {"(F.2)", 249},    {"(E12)", 249},   {"(G0.2)", 249},
      {"(F5.)", 250},   {"(G13.)", 250},   {"(-)", 250},     {"(I5.)", 250},
      {"(I5", 222},     {"I5)", 222},      {"((A)", 222},
      {"(K5)", 226},    {"(P2)", 226},     {"(T5)", 226},
      {"(#)", 251},     {"(A,@)", 251},    {"(A,%)", 251},
      {"(0A1)", 254},   {"(0X)", 254},     {"(-1X)", 254},   {"(0(A))", 254},
      {"(A,,A)", 221},  {"(A A)", 221},    {"(,A)", 221},    {"(A,'abc)", 221},
      {"(I)", 221},     {"(L)", 221},      {"(2'ab')", 221}, {"(A.)", 221},
      {"(3)", 221},
  };
  for (const auto& r : rows) {
    const textio::Format f(r.text);
    EXPECT_EQ(f.error_number(), r.error) << r.text;
  }
}

// A format with an error reports it when a statement that uses it starts.
TEST(FormatParse, ErrorsReportedByTheStatement) {
  struct Row {
    const char* text;
    const char* message;
  };
  const Row rows[] = {
      {"(F5)", "kiv i/o error 249: formatted read, internal file: error in format - illegal E, F, G or D descriptor"},
      {"(F5.)", "kiv i/o error 250: formatted read, internal file: error in format - number missing after '.', '-', or '+'"},
      {"(I5", "kiv i/o error 222: formatted read, internal file: unbalanced parentheses in format string"},
      {"(K5)", "kiv i/o error 226: formatted read, internal file: unrecognized edit descriptor letter in format"},
      {"(#)", "kiv i/o error 251: formatted read, internal file: illegal character in format string"},
      {"(0A1)", "kiv i/o error 254: formatted read, internal file: illegal repeat count in format"},
      {"(A,,A)", "kiv i/o error 221: formatted read, internal file: syntax error in format string"},
  };
  for (const auto& r : rows) {
    double value = 0;
    const textio::Format f(r.text);
    EXPECT_EXIT(textio::internal_read("12", f, {textio::item(value)}),
                ::testing::ExitedWithCode(1), ::testing::HasSubstr(r.message))
        << r.text;
  }
  // With errors handled, the read returns Failed and reads nothing.
  double value = 0;
  EXPECT_EQ(textio::unit_read(5, textio::Format("(F5)"), {textio::item(value)},
                              textio::Handling::Errors),
            textio::IoStatus::Failed);
}

}  // namespace
