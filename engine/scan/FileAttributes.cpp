#include "engine/scan/FileAttributes.h"

namespace qel {
namespace {

struct AttributeBit {
  uint32_t bit;
  TqelFileAttribute flag;
};

constexpr AttributeBit kBits[] = {
    {attr::ReadOnly, TqelFileAttribute::fsReadOnly},
    {attr::Hidden, TqelFileAttribute::fsHidden},
    {attr::System, TqelFileAttribute::fsSysFile},
    {attr::VolumeID, TqelFileAttribute::fsVolumeID},
    {attr::Directory, TqelFileAttribute::fsDirectory},
    {attr::Archive, TqelFileAttribute::fsArchive},
    {attr::Compressed, TqelFileAttribute::fsCompressed},
    {attr::Encrypted, TqelFileAttribute::fsEncrypted},
    {attr::ReparsePoint, TqelFileAttribute::fsReparsePoints},
};

}  // namespace

uint32_t DosAttributesOf(const struct stat& st, std::string_view name) {
  uint32_t a = 0;
  if (S_ISDIR(st.st_mode))
    a |= attr::Directory;
  else if (S_ISREG(st.st_mode))
    a |= attr::Archive;
  else if (S_ISLNK(st.st_mode))
    a |= attr::ReparsePoint;
  else
    a |= attr::System;
  if (!(st.st_mode & S_IWUSR)) a |= attr::ReadOnly;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= attr::Hidden;
  return a;
}

bool PassesAttributeFilter(uint32_t dosAttr, const TqelFileAttributes& Attributes,
                           const TqelFileAttributes& AttributesEx) {
  bool taken = (dosAttr & ~attr::Normal) == 0 && Attributes.Has(TqelFileAttribute::fsZeroAttr);
  for (const AttributeBit& b : kBits) {
    if (!(dosAttr & b.bit)) continue;
    if (AttributesEx.Has(b.flag)) return false;
    if (Attributes.Has(b.flag)) taken = true;
  }
  return taken;
}

}  // namespace qel
