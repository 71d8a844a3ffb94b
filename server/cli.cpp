#include "server/cli.h"

#include <cerrno>
#include <cstdlib>

namespace server {

std::string usage_text() {
  return "usage: fbview [--in PATH --out PATH] [--once] [--png FILE] [--trace FILE]\n"
         "              [--view terminal|none] [--pace MS] [--sheet FILE] [--cmap grey|heat]\n"
         "\n"
         "Display server for the focus-sequence client. Reads packets from the client's\n"
         "output FIFO, checks them, keeps the frame buffer and shows it.\n"
         "\n"
         "  --in PATH, --out PATH  the FIFO pair: the client's input side (held open, never\n"
         "                         written) and its output side (read). Without them: INDEV\n"
         "                         and OUTDEV when both are set, else $HOME/.imt1i and\n"
         "                         $HOME/.imt1o. Missing FIFOs are created (mode 0600).\n"
         "  --once                 stop when the first client closes its end\n"
         "                         (default: wait for the next client until interrupted)\n"
         "  --png FILE             write the frame buffer as PNG at the end\n"
         "                         (highest frame line at the top)\n"
         "  --trace FILE           write one line per packet: number, kind, header words,\n"
         "                         checksum verdict, data length\n"
         "  --view terminal|none   live picture in the terminal (default: terminal when\n"
         "                         standard output is a terminal)\n"
         "  --pace MS              keep each completed load on screen at least MS\n"
         "                         milliseconds (the server reads more slowly)\n"
         "  --sheet FILE           write a 4 x 4 PNG contact sheet of the first 16 loads\n"
         "  --cmap grey|heat       colour map for the view and the pictures (default grey);\n"
         "                         pixel value 0 is black, 200 the brightest colour\n"
         "  --help                 show this text\n"
         "\n"
         "A summary goes to standard error at the end. Exit status: 0 for a clean stream,\n"
         "1 when the FIFOs or an output cannot be used, 2 for a bad command line,\n"
         "3 when the stream held damaged packets (each is reported with its number).\n";
}

std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& why) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inline_value;
    if (name.rfind("--", 0) == 0) {
      if (auto eq = name.find('='); eq != std::string::npos) {
        inline_value = name.substr(eq + 1);
        name.resize(eq);
      }
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inline_value) return inline_value;
      if (i + 1 >= args.size()) {
        why = name + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    auto flag = [&]() {
      if (inline_value) {
        why = name + " takes no value";
        return false;
      }
      return true;
    };
    if (name == "--help" || name == "-h") {
      if (!flag()) return std::nullopt;
      o.help = true;
    } else if (name == "--once") {
      if (!flag()) return std::nullopt;
      o.once = true;
    } else if (name == "--in" || name == "--out" || name == "--png" || name == "--trace" ||
               name == "--sheet" || name == "--view" || name == "--pace" || name == "--cmap") {
      auto v = value();
      if (!v) return std::nullopt;
      if (v->empty()) {
        why = name + " needs a non-empty value";
        return std::nullopt;
      }
      if (name == "--in") o.in_path = *v;
      else if (name == "--out") o.out_path = *v;
      else if (name == "--png") o.png = *v;
      else if (name == "--trace") o.trace = *v;
      else if (name == "--sheet") o.sheet = *v;
      else if (name == "--view") {
        if (*v == "terminal") o.view = ViewChoice::kTerminal;
        else if (*v == "none") o.view = ViewChoice::kNone;
        else {
          why = "--view takes terminal or none, not " + *v;
          return std::nullopt;
        }
      } else if (name == "--pace") {
        char* end = nullptr;
        errno = 0;
        const long ms = std::strtol(v->c_str(), &end, 10);
        if (*end != '\0' || errno != 0 || ms < 0 || ms > 3600000) {
          why = "--pace takes milliseconds from 0 to 3600000, not " + *v;
          return std::nullopt;
        }
        o.pace_ms = static_cast<int>(ms);
      } else {
        auto m = color_map_named(*v);
        if (!m) {
          why = "--cmap takes grey or heat, not " + *v;
          return std::nullopt;
        }
        o.cmap = *m;
      }
    } else {
      why = "unknown argument " + args[i];
      return std::nullopt;
    }
  }
  if (o.in_path.empty() != o.out_path.empty()) {
    why = "--in and --out go together";
    return std::nullopt;
  }
  return o;
}

}  // namespace server
