// The texts of the boxes that answer engine questions, built from the active language's
// messages: the window program shows them as they are. Lines are separated by "\n".
// Captions the window takes straight from the language: the Replace box 705, the Rename box
// 700 (its text 710), the password box 770 (its prompt 780); the volume box is titled with
// the volume's file name.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

#include "app/prompts/Prompter.h"

namespace vk::app {

// Both files of a replace question, each with its size and date (attributes too while
// adding): what is there now first, then what would take its place.
QString ReplaceText(const TReplaceQuestion& question, const QLocale& locale = QLocale());
// A byte count with "," between thousands; "not available" for a negative value.
QString GroupedSize(int64_t bytes);
QString DiskSpaceText(const TDiskSpace& space);
QString DiskTooSmallText();
QString DiskRequestText(TDiskRequest request, const QString& label);
QString VolumePrompt(int number);
QString ReadOnlyText(const QString& archive);
QString LimitedUserText(const QString& protectedDir);
QString CorruptHeaderText();
QString OutputExistsText(const QString& fileName);
QString NestedTarText(const QString& fileName);

}  // namespace vk::app
