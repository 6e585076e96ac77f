#include "app/core/TestLog.h"

#include <utility>

#include "app/core/Translation.h"

namespace vk::app {
namespace {

const QString kRule = QString(60, u'=');

}  // namespace

std::vector<TItemInfo> TTestLog::Start(const QString& archive) {
  lines_.clear();
  ok_ = failed_ = 0;
  aborted_ = false;
  return {{QStringLiteral("Testing Archive: ") + archive, TTestImage::Archive, {}},
          {kRule, TTestImage::None, {}}};
}

void TTestLog::EntryTested(const QString& name, bool passed) {
  if (name.endsWith(u'/') || name.endsWith(u'\\')) return;
  ++(passed ? ok_ : failed_);
  lines_.push_back({FormatMessage(QStringLiteral("Testing: %s"), {name}),
                    passed ? TTestImage::Passed : TTestImage::Failed,
                    passed ? QStringLiteral("OK") : QStringLiteral("Failed")});
}

void TTestLog::Cancelled() {
  if (std::exchange(aborted_, true)) return;
  Rule();
  lines_.push_back({QStringLiteral("--->>> Operation Aborted! <<<---"), TTestImage::Failed, {}});
}

void TTestLog::CorruptHeader(qel::THeaderTypeState flags, int64_t archiveSize) {
  const bool local = !flags.Has(qel::THeaderType::htLocal);
  const bool central =
      !flags.Has(qel::THeaderType::htCentral) || !flags.Has(qel::THeaderType::htEnding);
  if (archiveSize < 100 || (!local && !central)) return;
  Rule();
  if (local)
    lines_.push_back(
        {QStringLiteral("LOCAL header missing or corrupt..."), TTestImage::Failed, {}});
  if (central)
    lines_.push_back(
        {QStringLiteral("Header error... (missing or corrupt)"), TTestImage::Failed, {}});
  Rule();
}

std::vector<TItemInfo> TTestLog::Finish() {
  Rule();
  lines_.push_back({FormatMessage(QStringLiteral("Tested %d files. -> %d OK : %d Failed"),
                                  {QString::number(ok_ + failed_), QString::number(ok_),
                                   QString::number(failed_)}),
                    TTestImage::Summary,
                    {}});
  return std::exchange(lines_, {});
}

void TTestLog::Rule() { lines_.push_back({kRule, TTestImage::None, {}}); }

}  // namespace vk::app
