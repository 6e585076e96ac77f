// What the main window keeps of one archive entry: the record behind one row of either
// entry list. Rows are made from these on demand, so the record holds the entry's facts and
// the views format them.
#pragma once

#include <QString>
#include <cstdint>

namespace vk::app {

struct TFolderNode;

struct TShellItem {
  enum : int16_t { kFolder = 0, kFile = 1 };

  int16_t Kind = kFile;  // kFolder only for the explorer list's subfolder rows
  bool Encrypted = false;
  int32_t ImageIndex = -1;  // the view's icon for this row, looked up when first shown
  // The file name without its path. An encrypted entry is shown with "+" after it
  // (Caption()), but the name itself never carries the marker, so a real name that ends
  // in "+" survives every round trip to masks and file names.
  QString Name;
  QString FileType;
  double Modified = 0;  // TDateTime; 0 for folder rows
  int64_t Size = 0;
  int64_t Packed = 0;
  int Ratio = 0;
  uint32_t CRC = 0;
  QString Attributes;  // upper case; "D" for folder rows
  // The entry's folder inside the archive, "/"-separated with a trailing "/", empty at the
  // root; for a folder row, the folder's own path.
  QString Folder;
  // The tree node of the folder the entry lies in (the root for entries without a folder).
  const TFolderNode* Node = nullptr;

  bool IsFolder() const { return Kind == kFolder; }
  // The name as the lists show it.
  QString Caption() const { return Encrypted ? Name + u'+' : Name; }
};

}  // namespace vk::app
