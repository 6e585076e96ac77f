// How the volumes of a multi-volume set are named: part files on one disk take numbered
// extensions, and the disks of a spanned set carry numbered volume labels.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// The file name of volume `volume` (from 1) of the set named `setName` whose last volume is
// `lastVolume`: the set's own name for the last volume when the caller says it is the last
// (`isLast`), otherwise the extension replaced (or, without one, followed) by ".z" and the
// number in at least two digits: ".z01" ... ".z99", ".z100".
std::string VolumeFileName(const std::string& setName, int volume, int lastVolume, bool isLast);

// The next volume of a set whose later volumes number their extensions, as ARJ's and the
// text encodings' do: x.arj, x.a01 ... x.a99, x.100 ... x.999 (a number keeps its width:
// x.001, x.002); a name without an extension goes on with `bare` and 01. Empty past 999.
std::string NextNumberedVolume(const std::string& path, char bare);

// The next volume of a set whose later volumes take a letter and two digits: x.ace (or any
// other extension) is followed by x.c00 ... x.c99 for letter 'c', then x.d00; the letter's
// case follows the extension's.
std::string NextLetteredVolume(const std::string& path, char letter);

// The next volume of a RAR set. With the new numbering (x.part1.rar, x.part2.rar...) the
// last run of digits before the extension counts up, growing when it must (part9 to part10),
// and the extension becomes ".rar" (the first volume may be x.part1.exe). With the old one,
// the lettered rule with 'r': x.rar (or x.exe), x.r00 ... x.r99, x.s00.
std::string NextRarVolume(const std::string& path, bool newNumbering);

// The disk number a spanned set's disk label carries: "PKBACK# " (in any case) followed only
// by digits gives that number, anything else 0.
int LabelDiskNumber(std::string_view label);

// The label of disk `disk` of a spanned set, "PKBACK# " and the number in three digits.
std::string DiskLabel(int disk);

}  // namespace qel
