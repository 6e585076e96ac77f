#include "formats/tar/TarWalker.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "formats/tar/TarHeader.h"

namespace qel::tar {
namespace {

// A NUL-ended text field (or the whole field when it has no NUL).
std::string FieldText(const uint8_t* field, size_t size) {
  const auto* text = reinterpret_cast<const char*>(field);
  return std::string(text, strnlen(text, size));
}

// A pax decimal: a sign, digits, and for a time a fraction, which is dropped.
std::optional<int64_t> PaxNumber(std::string_view text, bool isTime) {
  size_t i = 0;
  const bool negative = isTime && !text.empty() && text[0] == '-';
  if (negative) ++i;
  if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (v > (INT64_MAX - 9) / 10) return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  if (isTime && i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  if (i != text.size()) return std::nullopt;
  return negative ? -v : v;
}

// Records "LEN key=value\n", LEN counting the whole record; the four keys the walk uses are
// kept. False on a malformed record or number.
bool ParsePax(std::string_view data, std::optional<std::string>* path,
              std::optional<std::string>* linkPath, std::optional<std::string>* size,
              std::optional<std::string>* mtime) {
  while (!data.empty()) {
    size_t digits = 0;
    size_t length = 0;
    while (digits < data.size() && data[digits] >= '0' && data[digits] <= '9') {
      length = length * 10 + size_t(data[digits] - '0');
      if (length > data.size()) return false;
      ++digits;
    }
    if (digits == 0 || length <= digits + 1 || length > data.size() || data[digits] != ' ' ||
        data[length - 1] != '\n')
      return false;
    const std::string_view record = data.substr(digits + 1, length - digits - 2);
    data.remove_prefix(length);
    const size_t eq = record.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
    const std::string_view key = record.substr(0, eq), value = record.substr(eq + 1);
    if (key == "path") {
      *path = std::string(value);
    } else if (key == "linkpath") {
      *linkPath = std::string(value);
    } else if (key == "size" || key == "mtime") {
      if (!value.empty() && !PaxNumber(value, key == "mtime")) return false;
      *(key == "size" ? size : mtime) = std::string(value);
    }
  }
  return true;
}

// The member's own value of a pax key, else the global one; nothing when neither gives one
// (an empty value included: it stands for the header's value).
const std::string* PaxValue(const std::optional<std::string>& own,
                            const std::optional<std::string>& global) {
  const std::optional<std::string>& v = own ? own : global;
  return v && !v->empty() ? &*v : nullptr;
}

TTarKind KindOf(char type, const std::string& name) {
  switch (type) {
    case '0':
    case '\0':
      return !name.empty() && name.back() == '/' ? TTarKind::Folder : TTarKind::File;
    case '7':
      return TTarKind::File;
    case '5':
    case 'D':
      return TTarKind::Folder;
    case '1':
      return TTarKind::HardLink;
    case '2':
      return TTarKind::SymLink;
    default:
      return TTarKind::Other;
  }
}

}  // namespace

TTarWalker::TTarWalker(ISeekableSource& input, int64_t size)
    : input_(input), size_(size), base_(input.Seek(0, TSeekOrigin::soCurrent)) {}

int64_t TTarWalker::ReadFully(uint8_t* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    const int64_t n = input_.Read(buffer + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  pos_ += done;
  return done;
}

bool TTarWalker::Skip(int64_t count) {
  if (count <= 0) return true;
  if (size_ >= 0 && count > size_ - pos_) return false;
  if (base_ >= 0) {
    if (count > INT64_MAX - base_ - pos_) return false;
    // A stream may answer a seek past its end as if it went there: unless the size is
    // known, the last byte skipped is read to prove that it is there.
    const bool prove = size_ < 0;
    const int64_t seek = prove ? count - 1 : count;
    const int64_t want = base_ + pos_ + seek;
    const int64_t at = input_.Seek(seek, TSeekOrigin::soCurrent);
    if (at >= base_) pos_ = at - base_;
    if (at != want) return false;
    uint8_t last = 0;
    return !prove || ReadFully(&last, 1) == 1;
  }
  uint8_t scratch[4096];
  while (count > 0) {
    const int64_t piece = std::min<int64_t>(count, sizeof scratch);
    if (ReadFully(scratch, piece) != piece) return false;
    count -= piece;
  }
  return true;
}

bool TTarWalker::ReadExtension(int64_t size, std::string& data) {
  if (size < 0 || size_t(size) > kMaxLongName) return false;
  const int64_t blocks = size + Padding(size);
  if (size_ >= 0 && blocks > size_ - pos_) return false;
  data.resize(size_t(blocks));
  if (ReadFully(reinterpret_cast<uint8_t*>(data.data()), blocks) != blocks) return false;
  data.resize(size_t(size));
  return true;
}

TTarStep TTarWalker::Fail(TTarStep step) {
  final_ = step;
  return step;
}

TTarStep TTarWalker::Next(TTarMember& m) {
  if (final_) return *final_;
  const int64_t rest = left_ + padding_;
  left_ = padding_ = 0;
  if (!Skip(rest)) {
    truncated_ = true;
    return Fail(TTarStep::Bad);
  }
  std::optional<std::string> longName, longLink;
  TPaxKeys own;
  bool extended = false;  // a long-name or pax block waits for its member
  int64_t start = pos_;
  uint8_t b[kBlock];
  for (;;) {
    const int64_t got = ReadFully(b, kBlock);
    if (got == 0 && !extended) return Fail(TTarStep::End);
    if (got != kBlock) return Fail(TTarStep::Bad);
    if (IsZeroBlock(b)) return Fail(extended ? TTarStep::Bad : TTarStep::End);
    if (!ChecksumHolds(b)) return Fail(TTarStep::Bad);
    const std::optional<int64_t> size = ReadNumber(b + 124, 12);
    if (!size || *size < 0) return Fail(TTarStep::Bad);
    const char type = char(b[156]);
    if (type == 'L' || type == 'K' || type == 'x' || type == 'g') {
      std::string data;
      if (!ReadExtension(*size, data)) return Fail(TTarStep::Bad);
      if (type == 'L' || type == 'K') {
        data.resize(strnlen(data.c_str(), data.size()));
        (type == 'L' ? longName : longLink) = std::move(data);
        extended = true;
      } else if (type == 'x') {
        if (!ParsePax(data, &own.Path, &own.LinkPath, &own.Size, &own.MTime))
          return Fail(TTarStep::Bad);
        extended = true;
      } else {
        if (!ParsePax(data, &global_.Path, &global_.LinkPath, &global_.Size, &global_.MTime))
          return Fail(TTarStep::Bad);
        // A global header belongs to no member.
        if (!extended) start = pos_;
      }
      continue;
    }

    m = TTarMember{};
    std::memcpy(m.Header.data(), b, kBlock);
    const std::optional<int64_t> mode = ReadNumber(b + 100, 8), uid = ReadNumber(b + 108, 8),
                                 gid = ReadNumber(b + 116, 8), mtime = ReadNumber(b + 136, 12);
    if (!mode || !uid || !gid || !mtime) return Fail(TTarStep::Bad);
    const bool ustar = std::memcmp(b + 257, "ustar", 5) == 0;
    const bool posix = std::memcmp(b + 257, "ustar", 6) == 0;
    m.Name = FieldText(b, 100);
    if (posix && b[345] != 0) m.Name = FieldText(b + 345, 155) + "/" + m.Name;
    if (const std::string* path = PaxValue(own.Path, global_.Path))
      m.Name = *path;
    else if (longName && !longName->empty())
      m.Name = *longName;
    m.LinkName = FieldText(b + 157, 100);
    if (const std::string* link = PaxValue(own.LinkPath, global_.LinkPath))
      m.LinkName = *link;
    else if (longLink && !longLink->empty())
      m.LinkName = *longLink;
    m.TypeFlag = type;
    m.Kind = KindOf(type, m.Name);
    m.Size = *size;
    if (const std::string* paxSize = PaxValue(own.Size, global_.Size))
      m.Size = *PaxNumber(*paxSize, false);
    // Links, devices, folders and FIFOs carry no data, whatever their size field says.
    if (type >= '1' && type <= '6') m.Size = 0;
    m.MTime = *mtime;
    if (const std::string* paxTime = PaxValue(own.MTime, global_.MTime))
      m.MTime = *PaxNumber(*paxTime, true);
    m.Mode = uint32_t(*mode) & 07777;
    m.Uid = uint32_t(*uid);
    m.Gid = uint32_t(*gid);
    if (ustar) {
      m.UName = FieldText(b + 265, 32);
      m.GName = FieldText(b + 297, 32);
    }
    m.Checksum = StoredChecksum(b);
    m.Start = start;
    // An old GNU sparse member lists more of its map in blocks of its own, between the header
    // and the data, each flagging whether another follows.
    if (type == 'S' && ustar && !posix) {
      for (bool more = b[482] != 0; more; more = b[504] != 0)
        if (ReadFully(b, kBlock) != kBlock) return Fail(TTarStep::Bad);
    }
    m.DataAt = pos_;
    const int64_t room = size_ >= 0 ? size_ - pos_ : INT64_MAX - kBlock - pos_;
    if (m.Size > room) return Fail(TTarStep::Bad);
    left_ = m.Size;
    padding_ = Padding(m.Size);
    return TTarStep::Member;
  }
}

int64_t TTarWalker::ReadData(void* buffer, int64_t count) {
  const int64_t want = std::min(count, left_);
  if (want <= 0) return 0;
  const int64_t got = ReadFully(static_cast<uint8_t*>(buffer), want);
  left_ -= got;
  if (got < want) {
    truncated_ = true;
    // What the input lacks cannot be skipped later either.
    final_ = TTarStep::Bad;
    left_ = padding_ = 0;
  }
  return got;
}

}  // namespace qel::tar
