// A reader of a made-up format for testing the extraction base without a real one: the
// archive file holds the entries' data, stored, one after another, and the entries' headers
// are kept in memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/extract/UnBase.h"
#include "engine/streams/FileStream32.h"
#include "tests/engine/base/TestComponent.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel::test {

struct TestEntry {
  TUnEntry Header;
  std::string Data;
  uint32_t Crc = 0;
  int64_t Offset = 0;
};

class TestReader : public TUnBase {
 public:
  TestReader() {
    OnError = [this](TZipCommon&, const WideString& fileName, const WideString& extendedMsg,
                     const WideString& volumeID, int code) {
      Errors.push_back({fileName, extendedMsg, volumeID, code});
    };
    OnEnd = [this](TZipCommon&, const WideString& name, bool pass) {
      Ends.emplace_back(name, pass);
    };
  }

  // Adds an entry whose stored CRC matches its data.
  TUnEntry& Add(const std::string& name, const std::string& data) {
    TestEntry e;
    e.Header.StoredName = name;
    e.Header.PackedSize = e.Header.UnpackedSize = int64_t(data.size());
    e.Data = data;
    e.Crc = Width == TCrcWidth::crc32 ? Crc32(0, data.data(), data.size())
                                      : Crc16(0, data.data(), data.size());
    Entries.push_back(e);
    return Entries.back().Header;
  }

  // Writes the archive at `path` and makes it the one to read.
  void Save(const std::string& path) {
    std::string all;
    for (TestEntry& e : Entries) {
      e.Offset = int64_t(all.size());
      all += e.Data;
    }
    WriteFileText(path, all);
    SetArchiveFile(path);
  }

  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const ReportedError& e : Errors) codes.push_back(e.ECode);
    return codes;
  }

  TCrcWidth Width = TCrcWidth::crc32;
  std::vector<TestEntry> Entries;
  std::vector<ReportedError> Errors;
  std::vector<std::pair<std::string, bool>> Ends;

 protected:
  void ExtractEntries() override {
    for (const TestEntry& e : Entries) {
      if (VolumeCounter == 0) ArchiveStream()->SetPosition(e.Offset);
      bool dir = !e.Header.StoredName.empty() && e.Header.StoredName.back() == '/';
      bool go = MatchesSpec(e.Header.StoredName) && BuildOutputName(e.Header) &&
                PrepareEntry(dir) && !dir && OpenOutput();
      if (!go) continue;
      uint8_t buffer[7];  // small, so that every routine loops
      while (size_t n = ReadInput(buffer, sizeof buffer, true)) WriteOutput(buffer, n, Width);
      FinishFile();
      VerifyCRC(Width, e.Crc);
    }
  }
};

}  // namespace qel::test
