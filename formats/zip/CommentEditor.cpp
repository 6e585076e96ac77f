// Editing a ZIP archive's comments without compressing anything: the entries' bytes are
// copied as they are and only the directory (or only the end record) is written again.
#include <memory>

#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/TempStreams.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/RecordReader.h"
#include "formats/zip/ZipTail.h"
#include "formats/zip/ZipWriter.h"

namespace qel {

using namespace zip;

int TZipBase::BeginCommentEdit() {
  FEdited.clear();
  FEntryCommentsChanged = false;
  ArchiveCommentChanged = false;
  std::unique_ptr<TFileStream32> archive = TFileStream32::Open(ArchiveFile(), fmOpenRead);
  if (!archive) {
    DoError(ArchiveFile(), "", msg::ErrorOpeningFile, "");
    return -1;
  }
  FDetectedType = GetArcType(*archive);
  if (!ReadDirectory(*archive, FEdited)) {
    FEdited.clear();
    return -1;
  }
  return int(FEdited.size());
}

bool TZipBase::GetEntryComment(int index, WideString& storedName, std::string& comment) const {
  if (index < 0 || size_t(index) >= FEdited.size()) return false;
  storedName = FEdited[size_t(index)].StoredName;
  comment = CentralRecordOf(FEdited[size_t(index)]).Comment;
  return true;
}

bool TZipBase::SetEntryComment(int index, const std::string& comment) {
  if (index < 0 || size_t(index) >= FEdited.size()) return false;
  std::vector<uint8_t>& stored = FEdited[size_t(index)].Header;
  CentralHeader h = UnpackCentral(stored.data());
  const std::string text = comment.substr(0, 0xFFFF);
  const size_t at = kCentralHeaderSize + h.NameLength + h.ExtraLength;
  if (std::string(stored.begin() + long(at), stored.end()) == text) return true;
  stored.resize(at);
  stored.insert(stored.end(), text.begin(), text.end());
  h.CommentLength = uint16_t(text.size());
  Pack(h, stored.data());
  FEntryCommentsChanged = true;
  return true;
}

bool TZipBase::EndCommentEdit(bool commit) {
  bool done = !commit || !CommentsChanged();
  if (!done) {
    RunOperation([&] {
      std::unique_ptr<TFileStream32> archive = TFileStream32::Open(ArchiveFile(), fmOpenRead);
      if (!archive) ReportAndRaise(ArchiveFile(), msg::ErrorOpeningFile, "", "");
      std::unique_ptr<TTempFileStream> temp = TTempFileStream::Create(TempDir());
      if (!temp) ReportAndRaise(TempDir(), msg::ErrorCreatingFile, "", "");
      if (!WriteComments(*archive, *temp))
        ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "", "");
      archive.reset();
      done = Commit(*temp);
    });
  }
  FEdited.clear();
  FEntryCommentsChanged = false;
  ArchiveCommentChanged = false;
  return done;
}

bool TZipBase::WriteComments(TStream64& archive, TStream64& out) {
  const TCentralDirLocation& tail = ZipTail(*this);
  const TSeedKeyRecord* seed = FReadEnciphered ? &SeedHeaderKeys : nullptr;
  if (FEntryCommentsChanged) {
    // Everything up to the directory is kept; the directory and end records are new.
    std::vector<TCentralRecord> records;
    for (const TCompEntry& e : FEdited) records.push_back(CentralRecordOf(e));
    return archive.SetPosition(0) && out.CopyFrom(archive, HeaderOffset()) == HeaderOffset() &&
           WriteCentralDirectory(out, records, ArchiveComment, seed);
  }
  // Only the archive comment: everything up to the end record is kept.
  const std::string comment = ArchiveComment.substr(0, 0xFFFF);
  std::vector<uint8_t> end(tail.Extended ? kExtendedEndSize : kEndRecordSize);
  if (tail.Extended) {
    ExtendedEndRecord rec = tail.ExtendedEnd;
    rec.CommentLength = uint16_t(comment.size());
    Pack(rec, end.data());
  } else {
    EndRecord rec = tail.End;
    rec.CommentLength = uint16_t(comment.size());
    Pack(rec, end.data());
  }
  if (tail.EndEnciphered)
    EncipherHeader(SeedHeaderKeys, end, tail.Extended ? RecordKind::ExtendedEnd : RecordKind::End);
  return archive.SetPosition(0) && out.CopyFrom(archive, tail.EndPosition) == tail.EndPosition &&
         out.WriteFully(end.data(), int64_t(end.size())) &&
         out.WriteFully(comment.data(), int64_t(comment.size()));
}

}  // namespace qel
