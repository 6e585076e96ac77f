#include "sfxstub/SfxRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <set>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "formats/zip/Records.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipTail.h"

namespace vk::sfx {
namespace {

namespace fs = std::filesystem;
using app::TOverwritePolicy;
using qel::kMessageOkCancel;
using qel::kMessageYesNo;
using qel::kTrailerSize;
using qel::TSFXOption;
using qel::TSFXOverwriteMode;
using qel::TSfxSettings;

struct TFlags {
  bool List = false;
  bool Test = false;
  bool Overwrite = false;
  bool Never = false;
  bool Yes = false;
  bool Help = false;
  std::optional<std::string> Dir;
  std::optional<std::string> Password;
};

std::string Usage(const std::string& me) {
  return "Usage: " + me +
         " [-l | -t] [-d DIR] [-o | -n] [-y] [-p PASSWORD]\n"
         "Extracts the archive this program carries, into the current folder or the one\n"
         "its maker chose.\n\n"
         "  -l           list the files and extract nothing\n"
         "  -t           test the files and extract nothing\n"
         "  -d DIR       extract into DIR\n"
         "  -o           replace existing files without asking\n"
         "  -n           never replace existing files\n"
         "  -y           ask nothing: go on past the maker's message, run the maker's command,\n"
         "               and keep existing files unless -o is given or the maker chose to\n"
         "               replace them\n"
         "  -p PASSWORD  the password of encrypted files (asked on the terminal otherwise)\n"
         "  -h           show this help\n\n"
         "Nothing is written outside the folder. Exit status: 0 when everything was done,\n"
         "1 when a file failed or something was declined or cancelled, 2 when the archive\n"
         "cannot be read, the folder cannot be made or the arguments are wrong.\n";
}

std::optional<TFlags> ParseFlags(const std::vector<std::string>& args, std::string& fault) {
  TFlags f;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string>* value = a == "-d" ? &f.Dir : a == "-p" ? &f.Password : nullptr;
    if (value) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        fault = a + " needs a value";
        return std::nullopt;
      }
      *value = args[++i];
    } else if (a == "-l") {
      f.List = true;
    } else if (a == "-t") {
      f.Test = true;
    } else if (a == "-o") {
      f.Overwrite = true;
    } else if (a == "-n") {
      f.Never = true;
    } else if (a == "-y") {
      f.Yes = true;
    } else if (a == "-h" || a == "--help") {
      f.Help = true;
    } else {
      fault = "unknown argument '" + a + "'";
      return std::nullopt;
    }
  }
  if (f.List && f.Test) fault = "-l and -t exclude each other";
  if (f.Overwrite && f.Never) fault = "-o and -n exclude each other";
  if (!fault.empty()) return std::nullopt;
  return f;
}

bool IsZipKind(qel::TArcType t) {
  return t == qel::atZipExe || t == qel::atJarExe || t == qel::atZip || t == qel::atJar;
}

// The engine's errors as lines on standard error, and the entries they were about.
class TReport {
 public:
  TReport(const std::string& me, const std::string& archive, std::ostream& err)
      : me_(me), archive_(archive), err_(err) {}

  void Attach(qel::TZipCommon& c, app::TEnginePrompts* prompts) {
    c.OnError = [this, prompts](qel::TZipCommon&, const std::string& file, const std::string& ext,
                                const std::string&, int code) {
      ++errors_;
      if (!file.empty() && file != archive_) failed_.insert(file);
      // A password that failed is not offered again: the next attempt asks.
      if (prompts) prompts->ForgetPassword();
      err_ << me_ << ": ";
      if (!file.empty()) err_ << file << ": ";
      const std::string_view text = qel::MessageText(code);
      err_ << (text.empty() ? "error " + std::to_string(code) : std::string(text));
      if (!ext.empty()) err_ << " (" << ext << ")";
      err_ << "\n";
    };
  }
  int Errors() const { return errors_; }
  const std::set<std::string>& Failed() const { return failed_; }

 private:
  std::string me_;
  std::string archive_;
  std::ostream& err_;
  int errors_ = 0;
  std::set<std::string> failed_;
};

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// Ctrl+C cancels through the engine's cancel flag, so that the entry being written is
// removed instead of left half-made under its temporary name.
class TInterruptible {
 public:
  explicit TInterruptible(qel::TZipCommon& c) {
    g_interrupted = false;
    c.OnProgress = [](qel::TZipCommon& sender, uint8_t, uint8_t) {
      if (g_interrupted && !sender.Cancel()) sender.SetCancel(true);
    };
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~TInterruptible() { std::signal(SIGINT, previous_); }
  TInterruptible(const TInterruptible&) = delete;
  TInterruptible& operator=(const TInterruptible&) = delete;

 private:
  void (*previous_)(int);
};

// The rule for existing files: the options first, then the maker's choice. Nobody asked
// (-y) keeps them when the maker left the choice to the user.
TOverwritePolicy Policy(const TFlags& f, const TSfxSettings& s) {
  if (f.Overwrite) return TOverwritePolicy::Always;
  if (f.Never) return TOverwritePolicy::Never;
  switch (s.OverwriteMode) {
    case TSFXOverwriteMode::somOverwrite:
      return TOverwritePolicy::Always;
    case TSFXOverwriteMode::somSkip:
      return TOverwritePolicy::Never;
    case TSFXOverwriteMode::somAsk:
      break;
  }
  return f.Yes ? TOverwritePolicy::Never : TOverwritePolicy::Ask;
}

// One yes-or-no line; without a terminal, or at the end of the input, the answer is no.
bool AskYes(const std::string& question, bool interactive, std::istream& in, std::ostream& err) {
  if (!interactive) return false;
  for (;;) {
    err << question << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) return false;
    for (char& c : answer) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (answer == "y" || answer == "yes" || answer == "o" || answer == "ok") return true;
    if (answer == "n" || answer == "no" || answer == "c" || answer == "cancel") return false;
  }
}

void Banner(const std::string& title, std::ostream& out) {
  size_t width = 0;
  for (unsigned char c : title)
    if ((c & 0xC0) != 0x80) ++width;  // characters, not UTF-8 bytes
  out << title << "\n" << std::string(width, '=') << "\n";
}

// The folder made, as an absolute path; nothing when it cannot be made.
std::optional<std::string> MakeFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (!fs::is_directory(path, ec)) return std::nullopt;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

// The folder to extract into: -d, else the maker's folder or its fallback, else the current
// folder.
std::optional<std::string> TargetFolder(const TFlags& f, const TSfxSettings& s,
                                        const std::string& me, std::ostream& err) {
  if (f.Dir) {
    if (auto made = MakeFolder(*f.Dir)) return made;
    err << me << ": cannot create the folder '" << *f.Dir << "'\n";
    return std::nullopt;
  }
  const bool expand = s.Has(TSFXOption::soExpandVariables);
  std::vector<std::string> tried;
  for (const std::string* choice : {&s.DefaultExtractPath, &s.FallbackExtractPath}) {
    if (choice->empty()) continue;
    const std::optional<std::string> path = expand ? ExpandVariables(*choice) : *choice;
    if (path)
      if (auto made = MakeFolder(*path)) return made;
    tried.push_back(path.value_or(*choice));
  }
  if (tried.empty()) return fs::current_path().string();
  for (const std::string& path : tried)
    err << me << ": cannot create the folder '" << path << "'\n";
  return std::nullopt;
}

// The maker's command, through the shell, from the folder extracted into; its exit status.
int RunCommand(const std::string& command, const std::string& folder, std::ostream& out,
               std::ostream& err) {
  out.flush();
  err.flush();
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (chdir(folder.c_str()) == 0)
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Files only: folders have no data and no verdict.
bool IsFolderName(const std::string& name) { return !name.empty() && name.back() == '/'; }

int List(qel::TUnZip& reader, std::ostream& out) {
  // Listing goes through the reader's selection: every file is offered and declined, so
  // nothing is decoded or asked.
  int files = 0;
  int64_t total = 0;
  reader.OnBegin = [&](qel::TZipCommon&, const std::string& name, int, bool& extract) {
    extract = false;
    if (IsFolderName(name)) return;
    const qel::TUnEntry& e = reader.CurrentEntry();
    char line[64];
    std::snprintf(line, sizeof line, "%12lld  ", static_cast<long long>(e.UnpackedSize));
    out << line << name << "\n";
    ++files;
    total += e.UnpackedSize;
  };
  reader.Test();
  char line[64];
  std::snprintf(line, sizeof line, "%12lld  ", static_cast<long long>(total));
  out << line << files << (files == 1 ? " file\n" : " files\n");
  return reader.Cancel() ? kExitWarning : kExitOk;
}

int Test(qel::TUnZip& reader, const TReport& report, std::ostream& out) {
  int tested = 0, failed = 0;
  reader.OnEnd = [&](qel::TZipCommon&, const std::string& name, bool pass) {
    if (IsFolderName(name)) return;
    ++tested;
    if (!pass) ++failed;
    out << (pass ? "OK      " : "FAILED  ") << name << "\n";
  };
  {
    TInterruptible interruptible(reader);
    reader.Test();
  }
  // Entries that never reached a verdict (unsupported, wrong password) failed too.
  failed = std::max<int>(failed, int(report.Failed().size()));
  out << tested << (tested == 1 ? " file" : " files") << " tested, " << failed << " failed\n";
  return failed > 0 || report.Errors() > 0 || reader.Cancel() ? kExitWarning : kExitOk;
}

// The maker's message; false when it asks whether to go on and the answer is no.
bool ShowMessage(const TSfxSettings& s, const TFlags& f, bool interactive, std::istream& in,
                 std::ostream& out, std::ostream& err) {
  if (!s.DialogTitle.empty()) Banner(s.DialogTitle, out);
  if (!s.Message.empty()) out << s.Message << "\n";
  out.flush();
  if (s.MessageFlags != kMessageOkCancel && s.MessageFlags != kMessageYesNo) return true;
  if (f.Yes) return true;
  return AskYes(s.MessageFlags == kMessageYesNo ? "Go on? [y]es, [n]o: " : "[o]k, [c]ancel: ",
                interactive, in, err);
}

}  // namespace

std::optional<qel::TSfxSettings> ReadSettings(const qel::TZipCommon& archive) {
  const qel::zip::TCentralDirLocation& tail = qel::zip::ZipTail(archive);
  if (tail.EndPosition < 0 || tail.EndEnciphered || tail.TotalEntries() == 0) return std::nullopt;
  std::ifstream file(archive.ArchiveFile(), std::ios::binary);
  auto readAt = [&file](int64_t at, uint8_t* to, size_t size) {
    file.seekg(at);
    return file.read(reinterpret_cast<char*>(to), std::streamsize(size)) &&
           file.gcount() == std::streamsize(size);
  };
  // The first local header, as the directory's first record names it.
  uint8_t central[qel::zip::kCentralHeaderSize];
  const int64_t directory = int64_t(tail.CentralOffset()) + tail.OffsetAdjust;
  if (!readAt(directory, central, sizeof central) || qel::GetU32(central) != qel::zip::kSigCentral)
    return std::nullopt;
  const uint32_t recorded = qel::GetU32(central + 42);
  if (recorded == 0xFFFFFFFF) return std::nullopt;  // a stub of 4 GiB holds no settings
  const int64_t first = int64_t(recorded) + tail.OffsetAdjust;

  uint8_t trailer[kTrailerSize];
  if (first < int64_t(kTrailerSize) ||
      !readAt(first - int64_t(kTrailerSize), trailer, kTrailerSize))
    return std::nullopt;
  const std::optional<size_t> size = TSfxSettings::BlockSize(trailer);
  if (!size || int64_t(*size) > first) return std::nullopt;
  std::vector<uint8_t> block(*size);
  if (!readAt(first - int64_t(*size), block.data(), block.size())) return std::nullopt;
  return TSfxSettings::Parse(block);
}

std::optional<std::string> ExpandVariables(const std::string& path) {
  auto lookup = [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (!value || !*value) return std::nullopt;
    return std::string(value);
  };
  auto isNameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  std::string out;
  size_t i = 0;
  if (!path.empty() && path[0] == '~' && (path.size() == 1 || path[1] == '/')) {
    const std::optional<std::string> home = lookup("HOME");
    if (!home) return std::nullopt;
    out = *home;
    i = 1;
  }
  while (i < path.size()) {
    if (path[i] != '$') {
      out += path[i++];
      continue;
    }
    const bool braced = i + 1 < path.size() && path[i + 1] == '{';
    const size_t start = i + (braced ? 2 : 1);
    size_t end = start;
    while (end < path.size() && isNameChar(path[end])) ++end;
    const bool named = end > start && !std::isdigit(static_cast<unsigned char>(path[start]));
    if (!named || (braced && (end >= path.size() || path[end] != '}'))) {
      out += path[i++];  // a "$" that names nothing stays as it is
      continue;
    }
    const std::optional<std::string> value = lookup(path.substr(start, end - start));
    if (!value) return std::nullopt;
    out += *value;
    i = braced ? end + 1 : end;
  }
  return out;
}

int RunSfx(const TSfxRunInput& input, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string& me = input.Program;
  std::string fault;
  const std::optional<TFlags> flags = ParseFlags(input.Args, fault);
  if (!flags) {
    err << me << ": " << fault << " ('" << me << " -h' shows the options)\n";
    return kExitError;
  }
  if (flags->Help) {
    out << Usage(me);
    return kExitOk;
  }

  qel::TUnZip reader;
  TReport report(me, input.Archive, err);
  report.Attach(reader, nullptr);
  try {
    reader.SetArchiveFile(input.Archive);
  } catch (const qel::E_RAISE& e) {
    err << me << ": " << e.what() << "\n";
    return kExitError;
  }
  if (reader.ArchiveFile().empty()) {
    err << me << ": cannot read its own file '" << input.Archive << "'\n";
    return kExitError;
  }
  if (!IsZipKind(reader.ArcType())) {
    err << me << ": no archive is attached to this program\n";
    return kExitError;
  }
  if (flags->List) return List(reader, out);

  const TSfxSettings settings = ReadSettings(reader).value_or(TSfxSettings());
  app::TTerminalOptions options;
  options.Interactive = input.Interactive && !flags->Yes;
  options.Overwrite = Policy(*flags, settings);
  app::TTerminalPrompter prompter(options, in, err);
  app::TEnginePrompts prompts(prompter);
  report.Attach(reader, &prompts);
  prompts.AttachReader(reader);
  if (flags->Password) reader.SetPassword(*flags->Password);
  if (flags->Test) return Test(reader, report, out);

  if (!ShowMessage(settings, *flags, options.Interactive, in, out, err)) {
    err << me << ": nothing extracted\n";
    return kExitWarning;
  }
  const std::optional<std::string> target = TargetFolder(*flags, settings, me, err);
  if (!target || !reader.SetExtractDir(*target)) return kExitError;
  reader.UseStoredDirs = true;
  reader.CreateStoredDirs = true;
  prompts.BeginExtraction();
  reader.ConfirmOverwrites = true;

  int begun = 0, extracted = 0, failed = 0;
  reader.OnBegin = [&begun](qel::TZipCommon&, const std::string& name, int, bool&) {
    if (!IsFolderName(name)) ++begun;
  };
  reader.OnEnd = [&](qel::TZipCommon&, const std::string& name, bool pass) {
    if (IsFolderName(name)) return;
    ++(pass ? extracted : failed);
  };
  {
    TInterruptible interruptible(reader);
    reader.Extract();
  }
  if (reader.Cancel()) {
    err << me << ": cancelled\n";
    return kExitWarning;
  }
  failed = std::max<int>(failed, int(report.Failed().size()));
  if (failed > 0 || report.Errors() > 0) {
    err << me << ": " << failed << (failed == 1 ? " file" : " files") << " not extracted\n";
    return kExitWarning;
  }
  if (!settings.Has(TSFXOption::soNoSuccessMsg)) {
    out << extracted << (extracted == 1 ? " file" : " files") << " extracted to " << *target;
    // Every file begun and not extracted met an existing one that was kept.
    if (const int kept = begun - extracted; kept > 0)
      out << ", " << kept << (kept == 1 ? " existing file" : " existing files") << " kept";
    out << "\n";
  }

  if (settings.CommandLine.empty()) return kExitOk;
  if (settings.Has(TSFXOption::soAskCmdLine) && !flags->Yes &&
      !AskYes("Run \"" + settings.CommandLine + "\"? [y]es, [n]o: ", options.Interactive, in, err))
    return kExitOk;
  const int status = RunCommand(settings.CommandLine, *target, out, err);
  if (status == 0) return kExitOk;
  err << me << ": the command \"" << settings.CommandLine << "\" ended with status " << status
      << "\n";
  return kExitWarning;
}

}  // namespace vk::sfx
