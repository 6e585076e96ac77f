// TVrExtractor: extracts the entries of one archive that match a set of masks into a folder,
// with the engine reader that the archive's type calls for. The main window uses it to drag
// entries out and to check an archive out into a folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/base/ArcType.h"
#include "engine/base/Events.h"
#include "engine/base/Types.h"

namespace qel {
class TDecompressClass;
}

namespace vk::app {

class TEnginePrompts;

enum class TExtractStatus {
  Done,           // the reader ran; see Errors for how the entries fared
  NoReader,       // no reader for ArcType: nothing was tried
  CannotOpen,     // the archive is missing, unreadable or no longer of a type read here
  NoDestination,  // InitialDir cannot be created
};

struct TExtractResult {
  TExtractStatus Status = TExtractStatus::Done;
  int Extracted = 0;    // files written whose check passed
  bool Errors = false;  // the reader reported an error (an entry failed, was refused, a cancel)
  bool Ok() const { return Status == TExtractStatus::Done && !Errors; }
};

class TVrExtractor {
 public:
  TVrExtractor();
  ~TVrExtractor();
  TVrExtractor(const TVrExtractor&) = delete;
  TVrExtractor& operator=(const TVrExtractor&) = delete;

  // Published properties.
  std::string ArchiveFile;
  qel::TArcType ArcType = qel::atNA;  // as the lister found it; picks the reader
  qel::TStrings FileSpec;             // masks, "/" between folders ("\" is read as "/"); empty: all
  qel::TStrings Passwords;            // tried in turn on encrypted entries
  bool UseStoredDirs = true;
  // Whether a mask's file part also selects entries in the folders below the mask's folder.
  bool RecurseDirs = true;
  std::string InitialDir;  // the destination; created when missing

  // The reader's events, under the names the main window knows them by. Sender is the
  // reader doing the run: handlers may cancel it or look at its current entry. With
  // OnExtractFileExists assigned, every existing file is asked about; without it, it is
  // replaced.
  qel::TNotifyEvent OnExtractActivate;
  qel::TNotifyEvent OnExtractDeactivate;
  qel::TBeginEvent OnExtractbegin;
  qel::TEndEvent OnExtractEnd;
  qel::TFileExistsEvent OnExtractFileExists;
  qel::TProgressEvent OnExtractProgress;
  // The usual reader events passed on. OnGetPassword is asked only once every one of
  // Passwords has failed; without it, the entry fails there.
  qel::TErrorEvent OnError;
  qel::TGetPasswordEvent OnGetPassword;

  // The application's answers to the reader's questions (existing targets, passwords,
  // volumes...); without them existing files are replaced and the events below ask.
  TEnginePrompts* Prompts = nullptr;

  // Whether a reader exists for `type`.
  static bool HasReader(qel::TArcType type);

  // Extracts the matching entries of ArchiveFile into InitialDir.
  TExtractResult Extract();

 private:
  void Connect(qel::TDecompressClass& reader, TExtractResult& result);
};

}  // namespace vk::app
