#include "app/core/HeadlessTest.h"

#include <ostream>
#include <vector>

#include "app/core/ProgressReport.h"
#include "app/core/TestLog.h"
#include "app/core/Translation.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/extract/ZipCheck.h"
#include "engine/list/Quell.h"

namespace vk::app {
namespace {

void Print(std::ostream& out, const std::vector<TItemInfo>& lines) {
  for (const TItemInfo& line : lines) {
    out << line.Text.toStdString();
    if (!line.Status.isEmpty()) out << "  " << line.Status.toStdString();
    out << '\n';
  }
  out.flush();
}

}  // namespace

bool PrintArchiveTest(const QString& archive, TEnginePrompts& prompts, std::ostream& out,
                      std::ostream& err) {
  qel::TQuell lister;
  lister.SetArchiveFile(archive.toStdString());
  if (!qel::TZipCheck::CanTest(lister.ArcType())) {
    err << "vorelkit: " << Message(960).toStdString() << std::endl;
    return false;
  }
  TTestLog log;
  TErrorLog errors;
  bool failed = false;
  Print(out, log.Start(archive));
  qel::TZipCheck check;
  prompts.AttachTester(check);
  check.OnError = [&](qel::TZipCommon&, const std::string& file, const std::string&,
                      const std::string&, int code) {
    failed = true;
    prompts.ForgetPassword();
    if (std::optional<QString> line = errors.Report(QString::fromStdString(file), code))
      err << "vorelkit: " << line->toStdString() << std::endl;
  };
  check.OnStatus = [&log](qel::TZipCommon&, const qel::WideString& name, bool pass) {
    log.EntryTested(QString::fromStdString(name), pass);
  };
  check.OnCorruptZipHeader = [&log](qel::TZipCommon& sender, qel::THeaderTypeState flags,
                                    bool& cancel) {
    log.CorruptHeader(flags, sender.ArchiveSize());
    cancel = false;  // the entries found by their local headers are still worth testing
  };
  check.FileSpec = {"*"};
  check.SetArchiveFile(archive.toStdString());
  check.Test();
  if (check.Cancel()) log.Cancelled();
  Print(out, log.Finish());
  return !failed && log.FailedCount() == 0;
}

}  // namespace vk::app
