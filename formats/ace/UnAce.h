// TUnACE: extracts or tests ACE archives through the ACE library bound by name for the
// length of one operation. The program reads the headers itself to count what matches and
// to make the stored folders; the library writes or tests the files, and asks through four
// callbacks: each file's start (the filters and the overwrite and rename questions), its
// progress and end (attributes, time, a rename carried out, the verdict), and the requests
// for the next volume, an overwrite and a password. Nothing provides the library here, so
// users meet its missing-library message.
#pragma once

#include <string>

#include "engine/extract/UnBase.h"
#include "formats/ace/UnaceApi.h"

namespace qel {

class TUnACE : public TUnBase {
 public:
  TUnACE();
  ~TUnACE() override;

 protected:
  void ExtractEntries() override;
  // The library follows the set's volumes itself.
  bool OpenNextVolume() override { return false; }

 private:
  // Reads `volume`'s headers: counts the files that match and the packed bytes, and (when
  // `makeFolders`) makes the stored folders that match. False when it cannot be read.
  bool Scan(const WideString& volume, bool makeFolders);
  std::string FileList() const;

  static int InfoCallback(unace::tACECallbackData* data);
  static int ErrorCallback(unace::tACECallbackData* data);
  static int RequestCallback(unace::tACECallbackData* data);
  static int StateCallback(unace::tACECallbackData* data);
  int Request(unace::tACECallbackData& data);
  int State(unace::tACECallbackData& data);
  int StartFile(const unace::tACEFileData& file);
  void EndFile(const unace::tACEFileData& file);
  int NextVolume(unace::tACECallbackData& data);
  int AskPassword(unace::tACECallbackData& data);

  WideString FVolume;  // the volume the library reads
  int FVolumeNumber = 1;
  int FMatching = 0;
  // The file under way.
  bool FActive = false;       // the reader took it on (not skipped)
  bool FOverwrite = false;    // the file at its name may be replaced
  WideString FLibraryOutput;  // where the library writes it
  WideString FFirstMade;      // the topmost folder the library makes for it, if any
  int FPasswordAsks = 0;
};

}  // namespace qel
