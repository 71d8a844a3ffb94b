// Test driver: performs the actions named on its command line in order and
// appends what each question stored to result.txt in the working directory.
//
//   ask TYPE LEN COUNT MODE KEYWORD PROMPT DEFAULTS
//       DEFAULTS: for F/I/other letters, blank-separated numbers or "END"
//       (the type's end marker); for L, T or F per element; for A, the text
//       (the rest of the area zero bytes). "-" leaves the storage all zero.
//   strkey TEXT | addkey TEXT | restr NAME | save NAME | savec DISP
//   savep KEY N  (bkey is set from the next argument: savep KEY TEXT)
//   setlev N | write_files | do N | loopask KEYWORD
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/loops.h"
#include "input/savefile.h"
#include "input/usrinp.h"
#include "textio/units.h"

namespace {

void append_result(const std::string& line) {
  std::FILE* f = std::fopen("result.txt", "a");
  if (f == nullptr) return;
  std::fputs(line.c_str(), f);
  std::fputc('\n', f);
  std::fclose(f);
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

void fill_defaults(std::vector<std::byte>& var, char type, int len, const std::string& given) {
  if (given == "-") return;
  if (type == 'A') {
    std::memcpy(var.data(), given.data(), std::min(given.size(), var.size()));
    return;
  }
  const auto list = words(given);
  const std::size_t elements = len > 0 ? var.size() / static_cast<std::size_t>(len) : 0;
  for (std::size_t k = 0; k < list.size() && k < elements; ++k) {
    std::byte* e = var.data() + k * static_cast<std::size_t>(len);
    const std::string& w = list[k];
    if (type == 'L') {
      std::memset(e, w == "T" ? 0xff : 0, static_cast<std::size_t>(len));
    } else if (type == 'I' && len == 2) {
      const std::int16_t v = w == "END" ? input::kShortEndMarker : static_cast<std::int16_t>(std::stol(w));
      std::memcpy(e, &v, 2);
    } else if (type == 'I') {
      const std::int32_t v = w == "END" ? input::kIntegerEndMarker : static_cast<std::int32_t>(std::stol(w));
      std::memcpy(e, &v, 4);
    } else if (len == 8) {
      double v = 0;
      if (w == "END") {
        input::setend(v);
      } else {
        v = std::stod(w);
      }
      std::memcpy(e, &v, 8);
    } else {
      float v = 0;
      if (w == "END") {
        input::setend(v);
      } else {
        v = std::stof(w);
      }
      std::memcpy(e, &v, 4);
    }
  }
}

// One word per element: the value, or END for an end marker; text as is
// with zero bytes shown as \0.
std::string render(const std::vector<std::byte>& var, char type, int len) {
  std::string out;
  if (type == 'A') {
    for (std::byte b : var) {
      const char c = static_cast<char>(b);
      if (c == '\0') {
        out += "\\0";
      } else {
        out += c;
      }
    }
    return out;
  }
  const std::size_t elements = len > 0 ? var.size() / static_cast<std::size_t>(len) : 0;
  char buf[64];
  for (std::size_t k = 0; k < elements; ++k) {
    const std::byte* e = var.data() + k * static_cast<std::size_t>(len);
    if (k) out += ' ';
    if (type == 'L') {
      for (int i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", std::to_integer<unsigned>(e[i]));
        out += buf;
      }
    } else if (type == 'I' && len == 2) {
      std::int16_t v;
      std::memcpy(&v, e, 2);
      out += input::iendlin(v) ? std::string("END") : std::to_string(v);
    } else if (type == 'I') {
      std::int32_t v;
      std::memcpy(&v, e, 4);
      out += input::iendlin(v) ? std::string("END") : std::to_string(v);
    } else if (len == 8) {
      double v;
      std::memcpy(&v, e, 8);
      if (input::endlin(v)) {
        out += "END";
      } else {
        std::snprintf(buf, sizeof buf, "%.17g", v);
        out += buf;
      }
    } else {
      float v;
      std::memcpy(&v, e, 4);
      if (input::endlin(v)) {
        out += "END";
      } else {
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
        out += buf;
      }
    }
  }
  return out;
}

void ask(char** a) {
  const std::string type = a[0];
  const int len = std::stoi(a[1]);
  const int count = std::stoi(a[2]);
  const int mode = std::stoi(a[3]);
  const std::string keyword = a[4];
  const std::string prompt = a[5];
  const std::string defaults = a[6];
  const char letter = type.empty() ? ' ' : type[0];
  const std::size_t bytes = count > 0 && len > 0 ? static_cast<std::size_t>(count) * static_cast<std::size_t>(len) : 0;
  std::vector<std::byte> var(bytes);
  fill_defaults(var, letter == 'A' || letter == 'L' || letter == 'I' ? letter : 'F', len, defaults);
  input::usrinp(var, count, type, len, mode, keyword, prompt);
  append_result(keyword + " " + render(var, letter == 'A' || letter == 'L' || letter == 'I' ? letter : 'F', len));
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string action = argv[i];
    auto need = [&](int k) {
      if (i + k >= argc) {
        std::fprintf(stderr, "driver: %s needs %d arguments\n", action.c_str(), k);
        std::exit(2);
      }
    };
    if (action == "ask") {
      need(7);
      ask(argv + i + 1);
      i += 7;
    } else if (action == "strkey") {
      need(1);
      input::strkey(argv[++i]);
    } else if (action == "addkey") {
      need(1);
      input::addkey(argv[++i]);
    } else if (action == "restr") {
      need(1);
      input::restr(argv[++i]);
    } else if (action == "save") {
      need(1);
      input::save(argv[++i]);
    } else if (action == "savec") {
      need(1);
      input::savec(argv[++i]);
    } else if (action == "savep") {
      need(2);
      const std::string key = argv[++i];
      const std::string text = argv[++i];
      auto& b = input::bkey().text;
      b.fill(' ');
      std::memcpy(b.data(), text.data(), std::min(text.size(), b.size()));
      input::savep(key, static_cast<std::int32_t>(text.size()));
    } else if (action == "setlev") {
      need(1);
      diag::setlev(std::stoi(argv[++i]));
    } else if (action == "write_files") {
      diag::diag_state().write_files = -1;
    } else if (action == "do") {
      need(1);
      std::int32_t iloop = std::stoi(argv[++i]);
      input::do_loop(iloop);
      append_result("do " + std::to_string(iloop));
    } else if (action == "loopask") {
      need(1);
      // A whole loop, asking one real under KEYWORD in each pass.
      const std::string keyword = argv[++i];
      std::int32_t iloop = 0;
      for (;;) {
        input::do_loop(iloop);
        append_result("do " + std::to_string(iloop));
        if (iloop == 0) break;
        std::vector<std::byte> var(4);
        input::usrinp(var, 1, "F", 4, 1, keyword, "Value:");
        append_result(keyword + " " + render(var, 'F', 4));
      }
    } else {
      std::fprintf(stderr, "driver: unknown action %s\n", action.c_str());
      return 2;
    }
  }
  textio::flush_all_units();
  return 0;
}
