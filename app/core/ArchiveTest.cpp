#include "app/core/ArchiveTest.h"

#include <string_view>
#include <utility>

#include "app/core/TestLog.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"
#include "engine/extract/ZipCheck.h"
#include "engine/list/Quell.h"

namespace vk::app {

qel::TArcType ListedType(const QString& archive) {
  qel::TQuell lister;
  lister.SetArchiveFile(archive.toStdString());
  return lister.ArcType();
}

bool CanTestArchive(qel::TArcType type) { return qel::TZipCheck::CanTest(type); }

QString UntestableLine() {
  const std::string_view text = qel::MessageText(qel::msg::UnsupportedArchiveType);
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

TTesterSetup TesterSetup(TEnginePrompts& prompts, qel::TErrorEvent onError) {
  return [&prompts, onError = std::move(onError)](qel::TZipCommon& tester) {
    tester.OnError = onError;
    prompts.AttachTester(tester);
  };
}

void TArchiveTest::Run(const QString& archive, TTestLog& log, const TTesterSetup& attach,
                       const std::function<void(int percent)>& progress) {
  qel::TZipCheck check;
  if (attach) attach(check);
  check.FileSpec = {"*"};
  check.SetArchiveFile(archive.toStdString());
  check.OnStatus = [&log](qel::TZipCommon&, const qel::WideString& name, bool pass) {
    log.EntryTested(QString::fromStdString(name), pass);
  };
  check.OnCorruptZipHeader = [&log](qel::TZipCommon& sender, qel::THeaderTypeState flags,
                                    bool& cancel) {
    log.CorruptHeader(flags, sender.ArchiveSize());
    cancel = false;  // the entries found by their local headers are still worth testing
  };
  if (progress)
    check.OnProgress = [&progress](qel::TZipCommon&, uint8_t, uint8_t byArchive) {
      progress(byArchive);
    };
  tester_ = &check;
  check.Test();
  tester_ = nullptr;
  if (check.Cancel()) log.Cancelled();
}

void TArchiveTest::Cancel() {
  if (tester_) tester_->SetCancel(true);
}

}  // namespace vk::app
