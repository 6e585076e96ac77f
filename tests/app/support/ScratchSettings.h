// A test's own Settings.ini in its own folder, which AppSettings() answers while this lives,
// with the shipped English language loaded; the earlier binding and language come back after.
#pragma once

#include <QString>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "tests/support/PeerTools.h"

namespace vk::gui::test {

class TScratchSettings {
 public:
  TScratchSettings() {
    app::UseAppSettings(&settings_);
    language_ = app::ActiveLanguagePath();
    app::LoadLanguage(app::StartLanguagePath({}));
  }
  ~TScratchSettings() {
    app::LoadLanguage(language_);
    app::UseAppSettings(nullptr);
  }
  TScratchSettings(const TScratchSettings&) = delete;
  TScratchSettings& operator=(const TScratchSettings&) = delete;

  app::TAppSettings& Settings() { return settings_; }
  const qel::test::TestFolder& Folder() const { return folder_; }
  QString Path(const std::string& name) const { return QString::fromStdString(folder_ / name); }

 private:
  qel::test::TestFolder folder_;
  app::TAppSettings settings_{QString::fromStdString(folder_ / "Settings.ini")};
  QString language_;
};

}  // namespace vk::gui::test
