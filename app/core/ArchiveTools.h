// The Tools menu's work, for the window's dialogs and the start switches: converting an
// archive, making a self-extractor and taking one apart, splitting a ZIP into a set and
// merging one, encoding a file as text for mail. Each runs its engine component with the engine's
// questions asked through the prompts, its errors to the error handler and its progress to the
// caller.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/base/ArcType.h"
#include "engine/base/Events.h"
#include "engine/base/Types.h"

namespace vk::app {

class TEnginePrompts;

struct TToolRun {
  TEnginePrompts& Prompts;
  qel::TErrorEvent OnError;
  std::function<void(int percent)> OnProgress;  // of the whole operation
  std::function<bool()> Cancelled;              // asked as the work goes on
};

// --- Conversion ---
struct TConvertTarget {
  int Order;  // the setting's value
  QString Caption;
  QString Extension;
};
std::vector<TConvertTarget> ConvertTargets();
// The name `input` converted to `extension` gets.
QString ConvertedName(const QString& input, const QString& extension);
// Whether the new archive of a target is tested (when the user asks): the engine's writers'.
bool TestsConverted(int order);
bool ConvertArchive(const TToolRun& run, const QString& input, const QString& output, int order,
                    bool test);

// --- Self-extractors ---
// The self-extractor's name proposed for `archive`: its name with ".exe".
QString SfxName(const QString& archive);
// The stub (TMakeSFX, or the 7z one) in front of the archive.
bool MakeSelfExtractor(const TToolRun& run, const QString& archive, qel::TArcType type,
                       const QString& target);
// The ZIP self-extractor's settings as the dialog gives them.
struct TZipSfxChoices {
  QString ExtractFolder;
  QString Caption;
  QString Message;
  uint32_t MessageFlags = 0;
  int OverwriteMode = 2;  // 0 overwrite, 1 skip, 2 ask
  QString CommandLine;
  bool AskCmdLine = false;
  bool AutoRun = false;
  bool SuccessMessage = true;
  bool HideOverwriteBox = true;
};
bool MakeZipSelfExtractor(const TToolRun& run, const QString& archive, const QString& target,
                          const TZipSfxChoices& choices);
// The archive's name proposed for a self-extractor; empty when no archive can be taken out
// of it.
QString UnSfxName(const QString& sfx);
bool TakeOutArchive(const TToolRun& run, const QString& sfx, const QString& output);

// --- Split sets ---
// The size list of the split dialog, in its order, "Custom" first (0 bytes).
struct TPartSize {
  QString Caption;
  int64_t Bytes;
};
const std::vector<TPartSize>& PartSizes();
// A custom size: `value` in bytes, KB or MB (unit 0, 1, 2); 1.44 MB when not above 0.
int64_t CustomPartSize(int64_t value, int unit);
// The set's name when it would be the archive's own: "_spanned" before the extension.
QString SpannedName(const QString& archive, const QString& set);
bool SplitArchive(const TToolRun& run, const QString& archive, const QString& set,
                  int64_t partBytes);
// The merged archive's name proposed for a set's last part: "_merged.zip" after its name.
QString MergedName(const QString& lastPart);
// Whether `file` is the last part of a split set.
bool IsSplitSet(const QString& file);
bool MergeSet(const TToolRun& run, const QString& lastPart, const QString& output);

// --- Text encodings ---
// The volume sizes of the encode dialog, in its order, "No Spanning" (0) first.
struct TVolumeSize {
  QString Caption;
  int KBytes;
};
const std::vector<TVolumeSize>& EncodeVolumeSizes();
// The text's name proposed for `file` encoded by `method`: its name with ".uue", ".xxe"
// or ".mim".
QString EncodedName(const QString& file, qel::TCompressMethod method);
// `file` as UU, XX or Base64 text into `output` (and its volumes, UU and XX only).
bool EncodeFile(const TToolRun& run, const QString& file, const QString& output,
                qel::TCompressMethod method, int kbytesPerVolume, bool table);

}  // namespace vk::app
