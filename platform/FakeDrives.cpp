#include "platform/FakeDrives.h"

#include <algorithm>
#include <filesystem>

namespace qel::platform {

namespace fs = std::filesystem;

namespace {

constexpr int64_t kClusterSize = 512;

// Absolute and lexically clean, without a trailing separator.
std::string Absolute(const std::string& path) {
  std::string out = fs::absolute(path).lexically_normal().string();
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool Holds(const std::string& folder, const std::string& path) {
  if (folder == "/") return true;
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// Every file takes whole clusters.
int64_t UsedBytes(const std::string& folder) {
  int64_t used = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sizeError;
    if (!it->is_regular_file(sizeError)) continue;
    auto size = static_cast<int64_t>(it->file_size(sizeError));
    if (!sizeError) used += (size + kClusterSize - 1) / kClusterSize * kClusterSize;
  }
  return used;
}

}  // namespace

FakeDrives::FakeDrives(IDriveProbe* fallback) : fallback_(fallback) {}

void FakeDrives::Add(const std::string& folder, DriveInfo info) {
  info.Root = Absolute(folder);
  drives_[info.Root] = std::move(info);
}

bool FakeDrives::Insert(const std::string& folder, const std::string& label, uint32_t serial,
                        const std::string& contents) {
  auto drive = drives_.find(Absolute(folder));
  if (drive == drives_.end()) return false;
  // A new link renamed over the old one, so the drive never points nowhere in between.
  std::string link = drive->first;
  std::string staged = link + ".inserting";
  std::error_code ec;
  fs::remove(staged, ec);
  fs::create_directory_symlink(fs::absolute(contents), staged, ec);
  if (!ec) fs::rename(staged, link, ec);
  if (ec) {
    fs::remove(staged, ec);
    return false;
  }
  drive->second.Label = label;
  drive->second.Serial = serial;
  return true;
}

bool FakeDrives::Eject(const std::string& folder) {
  auto drive = drives_.find(Absolute(folder));
  std::error_code ec;
  return drive != drives_.end() && fs::is_symlink(drive->first, ec) && fs::remove(drive->first, ec);
}

std::optional<DriveInfo> FakeDrives::Query(const std::string& path) {
  std::string absolute = Absolute(path);
  const DriveInfo* best = nullptr;
  for (const auto& [folder, info] : drives_) {
    if (Holds(folder, absolute) && (best == nullptr || folder.size() > best->Root.size())) {
      best = &info;
    }
  }
  if (best == nullptr) {
    return fallback_ != nullptr ? fallback_->Query(path) : std::nullopt;
  }
  std::error_code ec;
  if (!fs::exists(absolute, ec)) return std::nullopt;
  DriveInfo info = *best;
  info.FreeBytes = std::max<int64_t>(0, info.TotalBytes - UsedBytes(info.Root));
  return info;
}

}  // namespace qel::platform
