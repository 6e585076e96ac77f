#include "app/core/HeadlessTest.h"

#include <ostream>
#include <vector>

#include "app/core/ArchiveTest.h"
#include "app/core/ProgressReport.h"
#include "app/core/TestLog.h"
#include "app/core/Translation.h"

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
  if (!CanTestArchive(ListedType(archive))) {
    err << "vorelkit: " << Message(960).toStdString() << std::endl;
    return false;
  }
  TTestLog log;
  TErrorLog errors;
  bool failed = false;
  Print(out, log.Start(archive));
  TArchiveTest().Run(
      archive, log,
      TesterSetup(prompts,
                  ReportingErrors(errors, prompts, {}, [&](const std::optional<QString>& line) {
                    failed = true;
                    if (line) err << "vorelkit: " << line->toStdString() << std::endl;
                  })));
  Print(out, log.Finish());
  return !failed && log.FailedCount() == 0;
}

}  // namespace vk::app
