#include "cli/EncodeCommand.h"

#include <algorithm>
#include <iterator>
#include <ostream>

#include "cli/ToolRun.h"
#include "formats/uue/UuEncode.h"

namespace vk::cli {
namespace {

int RunEncode(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli encode: name one file (see 'vorelkit-cli encode --help')\n";
    return kExitUsage;
  }
  using enum qel::TCompressMethod;
  static const std::pair<const char*, qel::TCompressMethod> kKinds[] = {
      {"uu", cmUUEncode}, {"xx", cmXXEncode}, {"mime", cmBase64}};
  const std::string as = args.Has("--as") ? args.options.at("--as") : "uu";
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](const auto& k) { return as == k.first; });
  if (kind == std::end(kKinds)) {
    err << "vorelkit-cli: --as takes uu, xx or mime\n";
    return kExitUsage;
  }
  const std::optional<int> volumeKb = NumberOption(args, "--volume-kb", 1, 1 << 20, 0, err);
  if (!volumeKb) return kExitUsage;
  if (*volumeKb && kind->second == cmBase64) {
    err << "vorelkit-cli: --volume-kb is for uu and xx texts\n";
    return kExitUsage;
  }
  qel::TUUEncode encode;
  encode.SetCompressMethod(kind->second);
  encode.SetDefaultExt(qel::EncodedExtension(kind->second));
  encode.SetArchiveFile(args.positional[0]);
  encode.OutFilename = OutputOption(args, encode.OutFilename);
  encode.KBytesPerVolume = *volumeKb;
  encode.WriteTableToFile = args.Has("--table");
  ToolRun run(encode, args.Has("--overwrite"), err);
  const int files = encode.Encode();
  if (files) out << "encoded into " << files << " file(s)\n";
  return run.Status(files > 0);
}

}  // namespace

Command EncodeCommand() {
  return {"encode",
          "write a file as UU, XX or Base64 (MIME) text",
          "vorelkit-cli encode FILE [--as uu|xx|mime] [--volume-kb N] [--table] [-o OUT] "
          "[--overwrite]",
          "Writes FILE as text that survives mail: uuencoded (the default), xxencoded or\n"
          "Base64 with MIME headers, into OUT (a file, or a folder for FILE's name with\n"
          ".uue, .xxe or .mim). With --volume-kb, a UU or XX text is split into volumes of\n"
          "N times 16 lines, OUT then .u01, .u02... (.x01... for XX), each later one\n"
          "opening with a part line and the begin line again. --table writes the\n"
          "alphabet before the data. 'vorelkit-cli extract' decodes all of them.\n\n"
          "Exit status: 0 when written, 2 when nothing was written, 7 for a usage error.",
          {{"--as", true, "uu, xx or mime (default: uu)"},
           {"--volume-kb", true, "split into volumes of N x 16 lines"},
           {"--table", false, "write the alphabet before the data"},
           {"-o", true, "the text to write, or a folder for it"},
           kOverwriteFlag},
          RunEncode};
}

}  // namespace vk::cli
