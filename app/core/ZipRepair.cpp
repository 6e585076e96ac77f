#include "app/core/ZipRepair.h"

#include "formats/zip/ZipFix.h"

namespace vk::app {

void RepairZip(const QString& broken, const QString& fixed,
               const std::function<void(const QString& name, bool intact)>& found) {
  qel::TZipFix fix;
  fix.OnFileFound = [&found](qel::TZipFix&, const qel::WideString& name, bool intact) {
    found(QString::fromStdString(name), intact);
  };
  fix.Repair(broken.toStdString(), fixed.toStdString());
}

}  // namespace vk::app
