#include "engine/scan/FileObject.h"

#include <algorithm>
#include <string_view>
#include <tuple>

namespace qel {
namespace {

std::string_view NameOf(const std::string& path) {
  return std::string_view(path).substr(path.rfind('/') + 1);
}

std::string_view TypeOf(const std::string& path) {
  std::string_view name = NameOf(path);
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

}  // namespace

void SortFiles(TFilesList& files, TqelSortOptions order) {
  using enum TqelSortOptions;
  auto key = [order](const TFileObject& f) {
    switch (order) {
      case soByName:
        return std::tuple(NameOf(f.FileName), std::string_view(), int64_t(0));
      case soByType:
        return std::tuple(TypeOf(f.FileName), NameOf(f.FileName), int64_t(0));
      case soBySize:
        return std::tuple(std::string_view(), std::string_view(), f.Size);
      case soByTime:
        return std::tuple(std::string_view(), std::string_view(), f.Time);
      default:
        return std::tuple(std::string_view(), std::string_view(), int64_t(0));
    }
  };
  if (order == soUnsort) return;
  std::stable_sort(files.begin(), files.end(), [&](const TFileObject& a, const TFileObject& b) {
    return std::tuple_cat(key(a), std::tie(a.FileName)) <
           std::tuple_cat(key(b), std::tie(b.FileName));
  });
}

}  // namespace qel
