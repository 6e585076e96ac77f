#include "formats/lha/LhaWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "codecs/lzh/LzhEncoder.h"
#include "engine/base/Bytes.h"
#include "engine/base/DateTime.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/Stream.h"
#include "formats/lha/LhaHeader.h"

namespace qel {

using namespace lha;

namespace {

constexpr int64_t kReadPiece = int64_t(1) << 16;
// A level-0 header's size byte counts 22 bytes and the name.
constexpr size_t kMaxLevel0Name = 255 - 22;
constexpr uint8_t kAttrDirectory = 0x10;

// The level-0 header: its size and checksum, then the fields; the checksum is the low byte
// of the sum of every byte after it.
std::vector<uint8_t> Level0Header(char method, uint32_t packed, uint32_t unpacked, uint32_t dosTime,
                                  uint8_t attr, const std::string& name, uint16_t crc) {
  const size_t n = name.size();
  std::vector<uint8_t> v(24 + n);
  v[0] = uint8_t(22 + n);
  std::memcpy(&v[2], "-lh0-", 5);
  v[5] = uint8_t(method);
  PutU32(&v[7], packed);
  PutU32(&v[11], unpacked);
  PutU32(&v[15], dosTime);
  v[19] = attr;
  v[20] = 0;
  v[21] = uint8_t(n);
  std::memcpy(&v[22], name.data(), n);
  PutU16(&v[22 + n], crc);
  unsigned sum = 0;
  for (size_t i = 2; i < v.size(); ++i) sum += v[i];
  v[1] = uint8_t(sum);
  return v;
}

// A level-2 header for a kept entry under `name`: its data, CRC, time, attributes and Unix
// mode as they were. Folders go in their own extended header, separated by 0xFF.
std::vector<uint8_t> Level2Header(const TLhaHeader& h, const std::string& name) {
  const bool isFolder = h.Kind() == TLhaMethod::Folder;
  std::string folder, file = name;
  if (isFolder && !file.empty() && file.back() == '/') file.pop_back();
  if (const size_t slash = file.rfind('/'); slash != std::string::npos) {
    folder = file.substr(0, slash + 1);
    file.erase(0, slash + 1);
  }
  if (isFolder) {
    folder += file + '/';
    file.clear();
  }
  std::replace(folder.begin(), folder.end(), '/', '\xFF');
  // The header's own CRC-16 comes first; it is filled in once the header is whole.
  std::vector<std::pair<uint8_t, std::string>> extended = {{0x00, std::string(2, '\0')},
                                                           {0x01, file}};
  if (!folder.empty()) extended.push_back({0x02, folder});
  extended.push_back({0x40, std::string{char(h.Attr), 0}});
  if (h.UnixMode)
    extended.push_back({0x50, std::string{char(*h.UnixMode), char(*h.UnixMode >> 8)}});

  std::vector<uint8_t> v(26);
  std::memcpy(&v[2], h.Method, 5);
  PutU32(&v[7], uint32_t(h.Packed));
  PutU32(&v[11], uint32_t(h.Unpacked));
  PutU32(&v[15], uint32_t(h.UnixTime >= 0 ? h.UnixTime : DosDateTimeToUnix(h.DosTime)));
  v[19] = 0x20;
  v[20] = 2;
  PutU16(&v[21], h.Crc);
  v[23] = h.Os ? h.Os : 'M';
  // Each extended header: its type, its data, and the size of the one after it (0: none);
  // the first one's size stands at 24.
  size_t sizeAt = 24;
  for (const auto& [type, data] : extended) {
    PutU16(&v[sizeAt], uint16_t(3 + data.size()));
    v.push_back(type);
    v.insert(v.end(), data.begin(), data.end());
    sizeAt = v.size();
    v.resize(v.size() + 2);
  }
  PutU16(&v[sizeAt], 0);
  // A size whose low byte is 0 would read as the end mark.
  if ((v.size() & 0xFF) == 0) v.push_back(0);
  PutU16(&v[0], uint16_t(v.size()));
  PutU16(&v[27], Crc16(0, v.data(), v.size()));
  return v;
}

}  // namespace

TLha::TLha() : TCompBase(".lha") {
  ForceArcType(atLha);
  InitCompressMethod(TCompressMethod::cmFrozen6);
}

TLha::~TLha() = default;

bool TLha::AcceptsMethod(TCompressMethod method) const {
  using enum TCompressMethod;
  return method == cmStore || method == cmFrozen5 || method == cmFrozen6;
}

bool TLha::ReadDirectory(TStream64& archive, TCompList& list) {
  const TReadAt readAt = archive.ExactReader();
  return ReadHeaderRun(archive, list,
                       [&](int64_t pos, TCompEntry& e, int64_t& dataStart, int64_t& next) {
                         TLhaHeader h;
                         const THeaderRead r = ReadLhaHeader(readAt, archive.Size(), pos, h);
                         e.StoredName = EntryName(h);
                         e.IsFolder = h.Kind() == TLhaMethod::Folder && !h.IsLink();
                         e.Size = int64_t(h.Unpacked);
                         e.Time = h.UnixTime >= 0 ? h.UnixTime : DosDateTimeToUnix(h.DosTime);
                         e.Attr = h.Attr;
                         dataStart = h.DataStart;
                         next = h.Next;
                         return r;
                       });
}

void TLha::WriteEntries(TStream64* archive, TStream64& out, TCompList& list) {
  if (archive) CopyPrefix(*archive, out, list);
  WriteInOrder(
      list, archive != nullptr,
      [&](size_t at, int index) { return CompressFile(out, list[at], index, list); },
      [&](const TCompEntry& e) { CopyKept(*archive, out, e); });
}

void TLha::WriteDirectory(TStream64& out, const TCompList&) {
  const uint8_t end = 0;
  WriteOut(out, &end, 1);
}

void TLha::CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e) {
  const TReadAt readAt = archive.ExactReader();
  TLhaHeader h;
  // The header must still be the entry's own.
  if (ReadLhaHeader(readAt, archive.Size(), e.Offset, h) != THeaderRead::Ok ||
      size_t(h.DataStart - h.Position) != e.Header.size())
    ReportAndRaise(e.StoredName, msg::BadFileHeader,
                   "the archive is left as it was; repair it first", "");
  int64_t from = h.Position;
  if (e.State == TEntryState::esRename) {
    const std::vector<uint8_t> header = Level2Header(h, e.StoredName);
    if (header.size() > 0xFFFF) ReportAndRaise(e.StoredName, msg::InvalidFileName, "", "");
    WriteOut(out, header.data(), header.size());
    from = h.DataStart;
  }
  if (!archive.SetPosition(from)) ReportAndRaise(e.StoredName, msg::ErrorReadingFile, "", "");
  CopyKeptBytes(archive, out, h.Next - from, e.StoredName);
}

bool TLha::CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list) {
  FileName = e.StoredName;
  if (!BeginFile(index) || !ChooseName(e, list)) return false;
  // Level-0 names take DOS separators; a folder's ends with one.
  std::string name = e.StoredName;
  std::replace(name.begin(), name.end(), '/', '\\');
  if (name.size() > kMaxLevel0Name) {
    DoError(e.SourcePath, "its name is longer than an LHA header holds", msg::SkippedFile, "");
    return false;
  }
  std::unique_ptr<TFileStream32> source;
  if (!OpenSource(e, source)) return false;
  const int64_t size = source ? source->Size() : 0;
  if (size > int64_t(UINT32_MAX)) {
    DoError(e.SourcePath, "4 GiB or more, more than an LHA entry holds", msg::SkippedFile, "");
    return false;
  }
  FileBytesLeft = size;

  char method = '0';
  if (e.IsFolder) {
    method = 'd';
  } else if (size > 0 && CompressMethod() != TCompressMethod::cmStore &&
             !StoredAsIs(e.SourcePath)) {
    method = CompressMethod() == TCompressMethod::cmFrozen5 ? '5' : '6';
  }
  const uint32_t dosTime = UnixToDosDateTime(EntryTimeOf(e));
  const uint8_t attr = e.IsFolder ? kAttrDirectory : uint8_t(e.Attr);
  const int64_t offset = out.Position();
  std::vector<uint8_t> header = Level0Header(method, 0, uint32_t(size), dosTime, attr, name, 0);
  WriteOut(out, header.data(), header.size());
  const int64_t dataStart = out.Position();

  uint16_t crc = 0;
  if (source) {
    const std::optional<std::pair<char, uint16_t>> data = WriteData(*source, out, method, size);
    if (!data) return LeaveOutChanged(out, offset, e.SourcePath);
    std::tie(method, crc) = *data;
  }
  const int64_t end = out.Position();
  header =
      Level0Header(method, uint32_t(end - dataStart), uint32_t(size), dosTime, attr, name, crc);
  if (!out.SetPosition(offset)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
  WriteOut(out, header.data(), header.size());
  if (!out.SetPosition(end)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
  if (OnEnd) OnEnd(*this, FileName, true);
  return true;
}

std::optional<std::pair<char, uint16_t>> TLha::WriteData(TStream64& source, TStream64& out,
                                                         char method, int64_t size) {
  const int64_t dataStart = out.Position();
  uint16_t crc = 0;
  int64_t total = 0;
  const TCodecSource read = EncoderSource(source, size, [&](const uint8_t* data, size_t n) {
    crc = Crc16(crc, data, n);
    total += int64_t(n);
  });
  const TCodecSink write = [&](std::span<const uint8_t> data) {
    WriteOut(out, data.data(), data.size());
    return true;
  };
  if (method != '0') {
    const TLzhParams params = method == '5' ? kLh5 : kLh6;
    if (!FEncoder || FEncoder->Params().DictionaryBits != params.DictionaryBits)
      FEncoder = std::make_unique<TLzhEncoder>(params);
    const TLzhEncodeStatus status = FEncoder->Encode(read, write);
    if (status == TLzhEncodeStatus::Ok && total == size && out.Position() - dataStart < size)
      return std::make_pair(method, crc);
    // Not smaller than the file: cut back and store it. The progress goes back for the
    // second pass.
    ArchiveBytesLeft += total;
    if (!out.SetSize(dataStart) || !out.SetPosition(dataStart) || !source.SetPosition(0))
      ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
    FileBytesLeft = size;
    crc = 0;
    total = 0;
  }
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadPiece]);
  while (const size_t n = read(buffer.get(), kReadPiece)) write({buffer.get(), n});
  if (total != size) return std::nullopt;
  return std::make_pair('0', crc);
}

}  // namespace qel
