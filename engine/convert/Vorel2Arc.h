// TVorel2Arc: converts an archive into another format. Every entry is extracted into a
// private work folder with the reader of the source's type, the folder is packed by the
// target's writer into a new archive beside the work folder, and that archive is tested and
// then moved onto the target name. The work folder goes in every case, and an existing
// target is replaced only by a finished conversion.
#pragma once

#include <functional>
#include <string>

#include "engine/base/ZipCommon.h"
#include "engine/registry/FormatDescriptor.h"

namespace qel {

class TVorel2Arc : public TZipCommon {
 public:
  using TIntegrityStatusEvent =
      std::function<void(TZipCommon& Sender, const WideString& FileName, bool Pass)>;

  WideString NewArchiveFile;
  // Test the new archive after packing; a failing test does not fail the conversion.
  bool IntegrityCheck = true;
  // The target: the order of a conversion row (9 is ZIP, 5 JAR).
  int OutputType = 9;
  // The cipher of a new archive when the source needed a password (the first one used
  // becomes the new archive's).
  TEncryptionMethod NewEncryption = TEncryptionMethod::emZip_V2;

  TNotifyEvent OnExtractBegin;
  TNotifyEvent OnRecompressBegin;
  TNotifyEvent OnIntegrityCheckBegin;
  TIntegrityStatusEvent OnIntegrityStatus;

  // The folder the current conversion extracts into; empty between conversions.
  const WideString& WorkFolder() const { return FWorkFolder; }

  // The target row of `order`, or null.
  static const TFormatWriter* Target(int order);
  // The target whose extension, without its dot, is `name` ("zip", "jar", "tar.gz"), or
  // whose type the extension stands for ("lzh"); null when none is.
  static const TFormatWriter* TargetNamed(const std::string& name);
  // The name the converted `input` gets: unchanged when it already ends with `extension`
  // (in any case); otherwise its last extension, and then a ".tar" left before it, are
  // replaced by `extension`. Only the file's own name is looked at.
  static WideString ConvertedName(const WideString& input, const std::string& extension);

  // Converts ArchiveFile into NewArchiveFile; true when the new archive was written. An
  // existing NewArchiveFile is replaced only when OnFileExists agrees. Errors of every stage
  // reach OnError; passwords, volumes and progress are asked and told through this
  // component's events.
  bool Convert();

 private:
  bool Extract(const std::string& folder);
  std::string Recompress(const TFormatWriter& target, const std::string& folder);
  void Check();
  // This component's questions and reports, answered for a reader, writer or tester.
  void Relay(TZipCommon& worker);

  WideString FWorkFolder;
};

}  // namespace qel
