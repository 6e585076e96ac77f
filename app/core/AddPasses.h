// Adding files and folders in two passes: the files as they were named, then each folder
// with everything below it. The folder pass can store names starting with the folder's own
// name while the files keep their bare names, which one pass cannot do.
#pragma once

#include <QStringList>
#include <functional>

namespace qel {
class TCompBase;
}

namespace vk::app {

// Runs `writer` over its FileSpec when that is not empty, then over `folderMasks`
// ("folder/*") with recursion and empty sub-folders kept, with names from each folder's own
// name when `folderNames` (and relative names again afterwards). `beforePass` is told before
// each run whether it is the second pass of one add, whose questions go on with the first
// pass's "to all" answers. Answers the files added by both runs.
int RunAddPasses(qel::TCompBase& writer, const QStringList& folderMasks, bool folderNames,
                 const std::function<void(bool secondPass)>& beforePass = {});

}  // namespace vk::app
