// One archive opened through the project's RAR layer: the header walk across the volumes
// of a set, and the data of the entry under the walk. Listing modes give one header per
// file part, as stored; the extraction mode gives one per file, its parts joined, and
// decodes its data (stored data directly, compressed data through libarchive) into the
// caller's process-data callback.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/streams/ReadAheadWindow.h"
#include "formats/rar/RarBlocks.h"
#include "formats/rar/UnrarApi.h"

namespace qel {
class TFileStream32;
}

namespace qel::unrar {

class TLibarchiveRar;

class TUnrarHandle {
 public:
  TUnrarHandle();
  ~TUnrarHandle();

  // Opens the archive named in `data` (its wide name, else its 8-bit one) and sets its
  // OpenResult and Flags; false when it cannot be read.
  bool Open(RAROpenArchiveDataEx& data);
  void SetCallback(UNRARCALLBACK callback, intptr_t userData) {
    callback_ = callback;
    userData_ = userData;
  }
  int ReadHeader(RARHeaderDataEx& header);
  int Process(int operation);

 private:
  struct TPiece {
    size_t Volume;
    int64_t DataStart;
    uint64_t Size;
  };
  struct TRecord {
    rar::TRarPart Part;
    std::vector<TPiece> Pieces;
    size_t Volume = 0;  // where it starts
  };

  int Callback(unsigned msg, intptr_t p1, intptr_t p2);
  // Reads `name` from `start` as the volume the walk goes on in.
  bool UseVolume(const std::string& name, int64_t start);
  // The next part of the set, crossing into the next volume where one follows.
  int NextPart(rar::TRarPart& part);
  // Finds the next volume with the caller's help.
  int ChangeVolume();
  // The next whole file: its parts joined.
  int NextFile(TRecord& record);
  int AskPassword();
  int CopyStored();
  int Decode();
  bool Deliver(const uint8_t* data, size_t size);

  unsigned mode_ = RAR_OM_LIST;
  UNRARCALLBACK callback_ = nullptr;
  intptr_t userData_ = 0;
  std::vector<std::string> volumes_;  // the volumes met so far, the first first
  int64_t start_ = 0;                 // the first volume's archive, past a program
  std::unique_ptr<TFileStream32> file_;
  TReadAheadWindow window_;
  rar::TRarBlockReader blocks_;
  TRecord current_;
  bool pending_ = false;  // current_ was read and not yet processed
  int fileIndex_ = -1;    // current_'s number among the files
  std::unique_ptr<TLibarchiveRar> data_;
};

// The first place in the file where a RAR signature starts an archive whose main header
// reads: at 0, or behind a self-extractor's program within the first 4 MiB; -1 for none.
int64_t FindRarStart(TFileStream32& file);

}  // namespace qel::unrar
