#include "formats/zip/SfxOutput.h"

#include <sys/stat.h>

#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"

namespace qel {

std::unique_ptr<TTempFileStream> BeginOutput(TZipCommon& owner, const std::string& target) {
  std::unique_ptr<TTempFileStream> out =
      TTempFileStream::Create(std::filesystem::path(target).parent_path().string());
  if (!out) owner.ReportAndRaise(target, msg::ErrorCreatingFile, "", "");
  // The archive it is made from stays where it is.
  out->Durable = false;
  return out;
}

void CommitOutput(TZipCommon& owner, TTempFileStream& out, const std::string& target,
                  bool executable) {
  if (!out.Commit(target)) owner.ReportAndRaise(target, msg::ErrorWritingFile, "", "");
  if (executable && ::chmod(target.c_str(), 0777 & ~CurrentUmask()) != 0)
    owner.ReportAndRaise(target, msg::ErrorWritingFile, "", "");
}

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./") : WithTrailingSlash(self.parent_path().string());
}

}  // namespace qel
