#include "cli/ConvertCommand.h"

#include <filesystem>
#include <ostream>
#include <string>

#include "cli/ToolRun.h"
#include "engine/base/FileSystem.h"
#include "engine/convert/Vorel2Arc.h"
#include "engine/registry/Formats.h"
#include "engine/text/Utf8.h"

namespace vk::cli {
namespace {

namespace fs = std::filesystem;

// The names --to takes: the targets' extensions without their dots.
std::string TargetNames() {
  std::string names;
  for (const qel::TFormatWriter* w : qel::ConversionTargets())
    names += std::string(names.empty() ? "" : ", ") + (w->Conversion->Extension + 1);
  return names;
}

int RunConvert(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty() || !args.Has("--to")) {
    err << "vorelkit-cli convert: name archives and a --to type (see 'vorelkit-cli convert "
           "--help')\n";
    return kExitUsage;
  }
  const qel::TFormatWriter* target = qel::TVorel2Arc::TargetNamed(args.options.at("--to"));
  if (!target) {
    err << "vorelkit-cli: --to takes " << TargetNames() << "\n";
    return kExitUsage;
  }
  // The extension named, which may be another one of the target's type (lzh for lha).
  const std::string extension = "." + qel::text::AsciiLower(args.options.at("--to"));
  const std::optional<int> threads = ThreadsOption(args, err);
  const auto encryption = EncryptionOption(args, qel::TEncryptionMethod::emZip_V2, err);
  if (!threads || !encryption) return kExitUsage;

  int converted = 0, failed = 0;
  for (const std::string& archive : args.positional) {
    qel::TVorel2Arc convert;
    ToolRun run(convert, args.Has("--overwrite"), err);
    convert.Threads = *threads;
    convert.OutputType = target->Conversion->Order;
    convert.IntegrityCheck = args.Has("--test");
    convert.NewEncryption = *encryption;
    if (args.Has("-p")) convert.SetPassword(args.options.at("-p"));
    std::string output = qel::TVorel2Arc::ConvertedName(archive, extension);
    if (args.Has("-o")) {
      std::error_code ec;
      fs::create_directories(args.options.at("-o"), ec);
      output = (fs::path(args.options.at("-o")) / fs::path(output).filename()).string();
    }
    // An archive already of the type would be its own output: it is left as it is.
    if (qel::SameFile(archive, output)) {
      err << "vorelkit-cli: " << archive << " is already a " << target->Conversion->Caption
          << " archive; left as it is\n";
      ++failed;
      continue;
    }
    convert.SetArchiveFile(archive);
    convert.NewArchiveFile = output;
    int testFailures = 0;
    convert.OnIntegrityStatus = [&](qel::TZipCommon&, const std::string& file, bool pass) {
      if (!pass) out << "FAILED  " << file << '\n';
      testFailures += !pass;
    };
    const bool done = convert.Convert();
    if (convert.Cancel()) return kExitCancelled;
    if (done && testFailures == 0 && run.Status(true) == kExitOk) {
      out << archive << " -> " << output << '\n';
      ++converted;
    } else {
      if (done) out << archive << " -> " << output << " (with errors)\n";
      ++failed;
    }
  }
  return failed == 0 ? kExitOk : converted > 0 ? kExitWarning : kExitFatal;
}

}  // namespace

Command ConvertCommand() {
  return {"convert",
          "repack archives into another format",
          "vorelkit-cli convert ARCHIVE... --to TYPE [-o DIR] [--test] [--overwrite] "
          "[-p PASSWORD [--encryption zipcrypto|aes256...]] [--threads N]",
          "Extracts each ARCHIVE into a private temporary folder and packs it again as TYPE:\n"
          "a type it writes, such as zip, jar, lha, tar, tgz, cab or bh (the others are known and\n"
          "refused until this version writes them).\n"
          "The new archive takes the archive's name with TYPE's extension (data.tar.gz gives\n"
          "data.zip), beside it or in DIR (made when missing). An archive that is already\n"
          "of TYPE is left as it is. Entries protected by a password are asked for (or given\n"
          "by -p); the new archive is then enciphered with the first password that fitted, by\n"
          "ZipCrypto (which every tool reads) unless --encryption names an AES strength.\n"
          "--test tests the new archive and lists the entries that fail. An existing output\n"
          "is replaced only when the answer (or --overwrite) says so, and only once the new\n"
          "archive is whole; the temporary folder is always removed.\n\n"
          "Exit status: 0 when every archive was converted, 1 when some were not (or with\n"
          "errors), 2 when none was, 7 for a usage error, 255 when cancelled.",
          {{"--to", true,
            "the new archives' type: " + TargetNames() + ", or another extension of one (lzh)"},
           {"-o", true, "the folder for the new archives"},
           {"--test", false, "test each new archive"},
           {"-p", true, "the password of the archives"},
           {"--encryption", true,
            "the new archives' cipher: zipcrypto (default), aes128, aes192 or aes256"},
           kOverwriteFlag,
           kThreadsOption},
          RunConvert};
}

}  // namespace vk::cli
