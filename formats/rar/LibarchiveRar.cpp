#include "formats/rar/LibarchiveRar.h"

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>

#include "engine/streams/FileStream32.h"
#include "formats/rar/UnrarApi.h"

namespace qel::unrar {

namespace {

namespace fs = std::filesystem;

constexpr size_t kBufferSize = size_t(1) << 18;

}  // namespace

TLibarchiveRar::TLibarchiveRar(const std::vector<std::string>& volumes, int64_t start)
    : volumes_(volumes), start_(start), buffer_(kBufferSize) {}

TLibarchiveRar::~TLibarchiveRar() {
  if (a_) archive_read_free(a_);
}

bool TLibarchiveRar::OpenVolume(size_t index) {
  file_.reset();
  if (index >= volumes_.size()) return false;
  file_ = TFileStream32::Open(volumes_[index], fmOpenRead);
  volume_ = index;
  return file_ && file_->SetPosition(index == 0 ? start_ : 0);
}

long TLibarchiveRar::ReadCallback(struct archive*, void* self, const void** buffer) {
  auto& r = *static_cast<TLibarchiveRar*>(self);
  *buffer = r.buffer_.data();
  for (;;) {
    if (!r.file_) return 0;
    const int64_t n = r.file_->Read(r.buffer_.data(), int64_t(r.buffer_.size()));
    if (n > 0) return long(n);
    // This volume is read: the next one goes on where it ended, if the walk found one.
    if (!r.OpenVolume(r.volume_ + 1)) return 0;
  }
}

int64_t TLibarchiveRar::SkipCallback(struct archive*, void* self, int64_t request) {
  auto& r = *static_cast<TLibarchiveRar*>(self);
  if (!r.file_ || request <= 0) return 0;
  // Skips stay inside the volume; libarchive reads on for the rest.
  const int64_t pos = r.file_->Position();
  const int64_t step = std::min(request, r.file_->Size() - pos);
  return step > 0 && r.file_->SetPosition(pos + step) ? step : 0;
}

int64_t TLibarchiveRar::StreamOffset(size_t index) const {
  int64_t offset = -start_;
  std::error_code ec;
  for (size_t v = 0; v < index; ++v) offset += int64_t(fs::file_size(volumes_[v], ec));
  return offset;
}

int TLibarchiveRar::MoveTo(int index, const TExpected& expected) {
  if (!a_) {
    a_ = archive_read_new();
    if (!a_) return ERAR_NO_MEMORY;
    archive_read_support_format_rar(a_);
    archive_read_support_format_rar5(a_);
    if (!OpenVolume(0) || archive_read_open2(a_, this, nullptr, &ReadCallback, &SkipCallback,
                                             nullptr) != ARCHIVE_OK) {
      broken_ = true;
      return ERAR_EOPEN;
    }
  }
  if (index < index_) return ERAR_UNKNOWN;  // entries are met in order only
  struct archive_entry* entry = nullptr;
  while (index_ < index) {
    if (broken_) return ERAR_BAD_DATA;
    const int r = archive_read_next_header(a_, &entry);
    if (r == ARCHIVE_EOF || r == ARCHIVE_FATAL) {
      broken_ = true;
      return ERAR_BAD_DATA;
    }
    ++index_;
    if (r == ARCHIVE_FAILED && index_ == index) return ERAR_BAD_DATA;
  }
  if (!entry) return ERAR_BAD_DATA;
  // libarchive gives the first entry the place where it began to read.
  const int64_t at = archive_read_header_position(a_);
  const bool samePlace =
      at == StreamOffset(expected.Volume) + expected.HeaderStart || (index == 0 && at == 0);
  const bool folder = archive_entry_filetype(entry) == AE_IFDIR;
  const bool sizeDiffers =
      archive_entry_size_is_set(entry) && uint64_t(archive_entry_size(entry)) != expected.Unpacked;
  // Another entry than the walk's: the two readers took the archive apart differently, and
  // nothing of libarchive's can be trusted to be this entry's.
  if (!samePlace || folder != expected.Directory || (!folder && sizeDiffers)) {
    broken_ = true;
    return ERAR_BAD_DATA;
  }
  return ERAR_SUCCESS;
}

int TLibarchiveRar::Read(const std::function<bool(const uint8_t*, size_t)>& sink) {
  int64_t expected = 0;
  for (;;) {
    const void* block = nullptr;
    size_t size = 0;
    int64_t offset = 0;
    const int r = archive_read_data_block(a_, &block, &size, &offset);
    if (r == ARCHIVE_EOF) return ERAR_SUCCESS;
    if (r != ARCHIVE_OK || offset != expected) {
      if (r == ARCHIVE_FATAL) broken_ = true;
      return ERAR_BAD_DATA;
    }
    expected += int64_t(size);
    if (size && !sink(static_cast<const uint8_t*>(block), size)) return ERAR_CANCELLED;
  }
}

}  // namespace qel::unrar
