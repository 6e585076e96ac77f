#include "engine/registry/Formats.h"

#include <algorithm>
#include <cctype>

namespace qel {

namespace {

struct TFound {
  const TFormatDescriptor* Format = nullptr;
  const TTypeRow* Row = nullptr;
};

TFound Find(TArcType type) {
  for (const TFormatDescriptor* f : RegisteredFormats())
    for (const TTypeRow& row : f->Types)
      if (row.Type == type) return {f, &row};
  return {};
}

}  // namespace

const TFormatDescriptor* FormatOf(TArcType type) { return Find(type).Format; }

const TTypeRow* TypeRowOf(TArcType type) { return Find(type).Row; }

const TFormatDescriptor* FormatNamed(std::string_view name) {
  const auto same = [name](std::string_view own) {
    if (own.size() != name.size()) return false;
    for (size_t i = 0; i < own.size(); ++i)
      if (std::tolower((unsigned char)name[i]) != own[i]) return false;
    return true;
  };
  for (const TFormatDescriptor* f : RegisteredFormats())
    if (same(f->Name)) return f;
  return nullptr;
}

bool Can(TArcType type, uint32_t caps) {
  const TTypeRow* row = TypeRowOf(type);
  return row && (row->Can & caps) == caps;
}

TMakeReader ReaderFor(TArcType type) {
  const TFormatDescriptor* f = FormatOf(type);
  return f ? f->MakeReader : nullptr;
}

const TFormatWriter* UpdaterFor(TArcType type) {
  const TTypeRow* row = TypeRowOf(type);
  return row && (row->Can & capUpdate) ? row->Writer : nullptr;
}

const TFormatWriter* WriterOf(TArcType type) {
  const TTypeRow* row = TypeRowOf(type);
  return row ? row->Writer : nullptr;
}

std::vector<const TFormatWriter*> ConversionTargets() {
  std::vector<const TFormatWriter*> targets;
  for (const TFormatDescriptor* f : RegisteredFormats())
    for (const TTypeRow& row : f->Types)
      if (row.Writer && row.Writer->Conversion &&
          std::find(targets.begin(), targets.end(), row.Writer) == targets.end())
        targets.push_back(row.Writer);
  std::sort(targets.begin(), targets.end(), [](const TFormatWriter* a, const TFormatWriter* b) {
    return a->Conversion->Order < b->Conversion->Order;
  });
  return targets;
}

}  // namespace qel
