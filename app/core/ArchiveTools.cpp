#include "app/core/ArchiveTools.h"

#include <QDir>
#include <QFileInfo>

#include "app/prompts/EnginePrompts.h"
#include "engine/convert/Vorel2Arc.h"
#include "engine/registry/Formats.h"
#include "formats/uue/UuEncode.h"
#include "formats/zip/ArchiveSplitter.h"
#include "formats/zip/MakeSfx.h"
#include "formats/zip/UnSfx.h"
#include "formats/zip/ZipSfx.h"
#include "formats/zip/ZipSplitGlue.h"

namespace vk::app {
namespace {

std::string S(const QString& s) { return s.toStdString(); }

// The run's questions, errors and progress on `component`; a cancel asked for reaches the
// component at its next progress step.
void Wire(const TToolRun& run, qel::TZipCommon& component) {
  run.Prompts.AttachSingleFileWriter(component);
  component.OnError = run.OnError;
  component.OnProgress = [&run](qel::TZipCommon& sender, uint8_t, uint8_t byArchive) {
    if (run.OnProgress) run.OnProgress(byArchive);
    if (run.Cancelled && run.Cancelled() && !sender.Cancel()) sender.SetCancel(true);
  };
}

}  // namespace

std::vector<TConvertTarget> ConvertTargets() {
  std::vector<TConvertTarget> targets;
  for (const qel::TFormatWriter* w : qel::ConversionTargets())
    targets.push_back({w->Conversion->Order, QString::fromUtf8(w->Conversion->Caption),
                       QString::fromUtf8(w->Conversion->Extension)});
  return targets;
}

QString ConvertedName(const QString& input, const QString& extension) {
  return QString::fromStdString(qel::TVorel2Arc::ConvertedName(S(input), S(extension)));
}

bool TestsConverted(int order) {
  // The writers whose archives the tester reads: BH, JAR, LHA, TAR and ZIP.
  return order == 1 || (order >= 5 && order <= 9);
}

bool ConvertArchive(const TToolRun& run, const QString& input, const QString& output, int order,
                    bool test) {
  qel::TVorel2Arc convert;
  Wire(run, convert);
  convert.SetArchiveFile(S(input));
  convert.NewArchiveFile = S(output);
  convert.OutputType = order;
  convert.IntegrityCheck = test && TestsConverted(order);
  return convert.Convert();
}

QString SfxName(const QString& archive) {
  return QString::fromStdString(qel::TMakeSFX::DefaultTarget(S(archive)));
}

bool MakeSelfExtractor(const TToolRun& run, const QString& archive, qel::TArcType type,
                       const QString& target) {
  std::unique_ptr<qel::TMakeSFX> sfx = qel::TMakeSFX::For(type);
  Wire(run, *sfx);
  sfx->SetArchiveFile(S(archive));
  sfx->TargetFile = S(target);
  return sfx->Execute();
}

bool MakeZipSelfExtractor(const TToolRun& run, const QString& archive, const QString& target,
                          const TZipSfxChoices& c) {
  using enum qel::TSFXOption;
  qel::TZipSFX sfx;
  Wire(run, sfx);
  sfx.SFXPath = qel::TMakeSFX::StubFile("", "Zip");
  sfx.SourceFile = S(archive);
  sfx.TargetFile = S(target);
  qel::TSfxSettings& s = sfx.Settings;
  s.DefaultExtractPath = S(c.ExtractFolder);
  s.DialogTitle = S(c.Caption);
  s.Message = S(c.Message);
  s.MessageFlags = c.MessageFlags;
  s.OverwriteMode = qel::TSFXOverwriteMode(c.OverwriteMode);
  s.CommandLine = S(c.CommandLine);
  for (qel::TSFXOption always : {soInitiallyHideFiles, soForceHideFiles, soCanBeCancelled})
    s.Set(always);
  s.Set(soAskCmdLine, c.AskCmdLine);
  s.Set(soAutoRun, c.AutoRun);
  s.Set(soNoSuccessMsg, !c.SuccessMessage);
  s.Set(soHideOverWriteBox, c.HideOverwriteBox);
  return sfx.Execute();
}

QString UnSfxName(const QString& sfx) {
  qel::TUnSfx unsfx;
  unsfx.SetArchiveFile(S(sfx));
  return QString::fromStdString(unsfx.OutFilename());
}

bool TakeOutArchive(const TToolRun& run, const QString& sfx, const QString& output) {
  qel::TUnSfx unsfx;
  Wire(run, unsfx);
  unsfx.SetArchiveFile(S(sfx));
  if (unsfx.OutFilename().empty()) return false;
  QDir().mkpath(QFileInfo(output).absolutePath());
  unsfx.SetOutFilename(S(output));
  return unsfx.Convert() && QFileInfo::exists(output);
}

const std::vector<TPartSize>& PartSizes() {
  static const std::vector<TPartSize> kSizes = {
      {"Custom", 0},
      {"500 KB", 524288},
      {"1.2 MB", 1213952},
      {"1.44 MB", 1457664},
      {"2.88 MB", 2915328},
      {"3 MB", 3145728},
      {"4 MB", 4194304},
      {"5 MB", 5242880},
      {"Zip 100 Disk (100 MB)", 104857600},
      {"Zip 250 Disk (250 MB)", 262144000},
      {"CD-Rom        (650 MB)", 681574400},
      {"CD-Rom        (700 MB)", 734003200},
      {"CD-Rom        (800 MB)", 838860800},
      {"CD-Rom        (900 MB)", 943718400},
      {"DVD-Rom     (4.7 GB)", 4698000000},
  };
  return kSizes;
}

int64_t CustomPartSize(int64_t value, int unit) {
  if (value <= 0) return 1457664;
  return value * (unit == 2 ? 1048576 : unit == 1 ? 1024 : 1);
}

QString SpannedName(const QString& archive, const QString& set) {
  if (QFileInfo(archive).absoluteFilePath() != QFileInfo(set).absoluteFilePath()) return set;
  return QString::fromStdString(qel::TArchiveSplitter::SpannedName(S(set)));
}

bool SplitArchive(const TToolRun& run, const QString& archive, const QString& set,
                  int64_t partBytes) {
  qel::TArchiveSplitter splitter;
  Wire(run, splitter);
  splitter.SetArchiveFile(S(archive));
  splitter.SplitArchiveFile = S(set);
  splitter.PartSize = partBytes;
  return splitter.Split() > 0;
}

QString MergedName(const QString& lastPart) {
  return QString::fromStdString(qel::TZipSplitGlue::MergedName(S(lastPart)));
}

bool IsSplitSet(const QString& file) {
  qel::TZipSplitGlue glue;
  glue.SetArchiveFile(S(file));
  return glue.ArcType() == qel::atZipMV;
}

bool MergeSet(const TToolRun& run, const QString& lastPart, const QString& output) {
  qel::TZipSplitGlue glue;
  Wire(run, glue);
  glue.SetArchiveFile(S(lastPart));
  glue.OutArchiveFile = S(output);
  return glue.Merge() > 0 && QFileInfo::exists(output);
}

const std::vector<TVolumeSize>& EncodeVolumeSizes() {
  static const std::vector<TVolumeSize> kSizes = {
      {"No Spanning", 0}, {"100 KBytes", 100}, {"500 KBytes", 500}, {"1.0 MB", 1024},
      {"1.2 MB", 1200},   {"1.4 MB", 1400},    {"1.7 MB", 1700},    {"2.0 MB", 2048}};
  return kSizes;
}

QString EncodedName(const QString& file, qel::TCompressMethod method) {
  const QFileInfo info(file);
  return info.dir().filePath(info.completeBaseName() + qel::EncodedExtension(method));
}

bool EncodeFile(const TToolRun& run, const QString& file, const QString& output,
                qel::TCompressMethod method, int kbytesPerVolume, bool table) {
  qel::TUUEncode encode;
  Wire(run, encode);
  encode.SetCompressMethod(method);
  encode.SetDefaultExt(qel::EncodedExtension(method));
  encode.SetArchiveFile(S(file));
  encode.OutFilename = S(output);
  encode.KBytesPerVolume = kbytesPerVolume;
  encode.WriteTableToFile = table;
  return encode.Encode() > 0;
}

}  // namespace vk::app
