// The main window's Tools menu: converting archives, making self-extractors and taking them
// apart, splitting a ZIP into a set and merging one, encoding a file as text for mail. Each dialog
// runs with the window's questions and error list; a new archive it makes can be shown.
#include <QFileDialog>
#include <QFileInfo>

#include "app/core/ArchiveTools.h"
#include "app/gui/ConvertDialog.h"
#include "app/gui/MainForm.h"
#include "app/gui/SfxDialogs.h"
#include "app/gui/SplitDialogs.h"
#include "app/gui/UUEncodeDialog.h"

namespace vk::gui {

void TMainForm::ConnectToolActions() {
  connect(Action("acConvert"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    TfrmConvert convert(archive_, {}, *prompts_, ErrorHandler(), this);
    convert.exec();
  });
  connect(Action("acMakeSFXFile"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    const QString made =
        MakeSfxWithDialog(archive_, listing_.ArcType(), *prompts_, ErrorHandler(), this);
    // The window never stays on an archive that went to the trash: the new one takes its place.
    if (!made.isEmpty() && !QFileInfo::exists(archive_)) OpenArchive(made);
  });
  connect(Action("acUnSFX"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    const bool sfx = !app::UnSfxName(archive_).isEmpty();
    TFormUnSFX unsfx(sfx ? archive_ : QString(), *prompts_, ErrorHandler(), this);
    unsfx.exec();
  });
  connect(Action("acSplit"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    TFormSplit split(archive_, *prompts_, ErrorHandler(), this);
    split.exec();
  });
  connect(Action("acUUEncode"), &QAction::triggered, this, [this] {
    // The open archive is what goes by mail; without one, a file is asked for.
    const QString source =
        archive_.isEmpty() ? QFileDialog::getOpenFileName(this, tr("UU/XX/MIME Encode")) : archive_;
    if (source.isEmpty()) return;
    errorLog_.ComponentActivated();
    TfrmUUEncode encode(source, *prompts_, ErrorHandler(), this);
    encode.exec();
  });
  connect(Action("acMerge"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    TFormMerge merge(listing_.ArcType() == qel::atZipMV ? archive_ : QString(), *prompts_,
                     ErrorHandler(), this);
    merge.exec();
  });
}

}  // namespace vk::gui
