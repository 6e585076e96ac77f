#include "cli/CommandLine.h"

#include <charconv>
#include <ostream>

#include "engine/base/Version.h"

namespace vk::cli {
namespace {

void PrintOverview(std::ostream& out) {
  out << "Usage: vorelkit-cli COMMAND [OPTIONS] FILE...\n\nCommands:\n";
  for (const Command& c : Commands()) out << "  " << c.name << "\t" << c.summary << "\n";
  out << "\n'vorelkit-cli COMMAND --help' describes a command; --version shows the version.\n";
}

void PrintVersion(std::ostream& out) {
  out << "vorelkit-cli " << qel::ProgramVersion() << "\n" << qel::EngineLibraries() << "\n";
}

void PrintCommandHelp(const Command& c, std::ostream& out) {
  out << "Usage: " << c.usage << "\n\n" << c.description << "\n";
  if (!c.options.empty()) {
    out << "\nOptions:\n";
    for (const OptionSpec& o : c.options)
      out << "  " << o.name << (o.takesValue ? " VALUE" : "") << "\t" << o.help << "\n";
  }
  out << "  --help\tshow this text\n";
}

}  // namespace

std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const std::vector<OptionSpec>& specs, std::ostream& err) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      parsed.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      parsed.help = true;
      continue;
    }
    std::string name = a, value;
    bool inlineValue = false;
    if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    const OptionSpec* known = nullptr;
    for (const OptionSpec& s : specs)
      if (s.name == name) known = &s;
    if (!known) {
      err << "vorelkit-cli: unknown option '" << name << "'\n";
      return std::nullopt;
    }
    if (known->takesValue && !inlineValue) {
      if (i + 1 >= args.size()) {
        err << "vorelkit-cli: option '" << name << "' needs a value\n";
        return std::nullopt;
      }
      value = args[++i];
    } else if (!known->takesValue && inlineValue) {
      err << "vorelkit-cli: option '" << name << "' takes no value\n";
      return std::nullopt;
    }
    parsed.options[name] = value;
    parsed.values[name].push_back(value);
  }
  return parsed;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintOverview(err);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintOverview(out);
    return kExitOk;
  }
  if (args[0] == "--version") {
    PrintVersion(out);
    return kExitOk;
  }
  for (const Command& c : Commands()) {
    if (c.name != args[0]) continue;
    std::optional<ParsedArgs> parsed =
        ParseArgs(std::vector<std::string>(args.begin() + 1, args.end()), c.options, err);
    if (!parsed) return kExitUsage;
    if (parsed->help) {
      PrintCommandHelp(c, out);
      return kExitOk;
    }
    return c.run(*parsed, out, err);
  }
  err << "vorelkit-cli: unknown command '" << args[0] << "'\n";
  PrintOverview(err);
  return kExitUsage;
}

std::optional<int> NumberOption(const ParsedArgs& args, const std::string& name, int low, int high,
                                int fallback, std::ostream& err) {
  if (!args.Has(name)) return fallback;
  const std::string& text = args.options.at(name);
  int n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size() || n < low || n > high) {
    err << "vorelkit-cli: " << name << " takes a number from " << low << " to " << high << "\n";
    return std::nullopt;
  }
  return n;
}

std::optional<int> ThreadsOption(const ParsedArgs& args, std::ostream& err) {
  return NumberOption(args, "--threads", 1, kMaxThreads, 0, err);
}

std::optional<qel::TEncryptionMethod> EncryptionOption(const ParsedArgs& args,
                                                       qel::TEncryptionMethod fallback,
                                                       std::ostream& err) {
  using enum qel::TEncryptionMethod;
  static const std::pair<const char*, qel::TEncryptionMethod> kCiphers[] = {{"zipcrypto", emZip_V2},
                                                                            {"aes128", emAes2_128},
                                                                            {"aes192", emAes2_192},
                                                                            {"aes256", emAes2_256}};
  if (!args.Has("--encryption")) return fallback;
  for (const auto& [name, method] : kCiphers)
    if (args.options.at("--encryption") == name) return method;
  err << "vorelkit-cli: --encryption takes zipcrypto, aes128, aes192 or aes256\n";
  return std::nullopt;
}

}  // namespace vk::cli
